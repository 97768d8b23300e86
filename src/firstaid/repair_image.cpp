#include "firstaid/image_pixels.h"
#include "firstaid/output_files.h"
#include "firstaid/repair_exporters.h"
#include "platform/layout_text.h"
#include "util/text_helpers.h"

namespace tidewell::FileFirstAidEngine {

namespace fs = std::filesystem;

namespace {

constexpr int kJpegQuality = 92;

// Chosen by the source's extension: JPEG and TIFF keep their format, all else becomes PNG.
std::optional<std::vector<std::uint8_t>> encodedLikeSource(const PixelImage& image, const fs::path& source) {
    const std::string extension = text_helpers::lowercased(text_helpers::pathExtension(source));
    if (extension == "jpg" || extension == "jpeg") return encodeJpeg(image, kJpegQuality);
    if (extension == "tiff") return encodeTiff(image);
    return encodePng(image);
}

}  // namespace

FileRepairOutcome repairImage(const RepairJob& job) {
    job.throwIfCancelled();
    job.report(RepairProgressStage::repairing, 0.42, "Re-encoding readable image pixels");
    const auto pixels = decodePixels(job.source());
    if (!pixels)
        throw RepairError::noRecoverableContent(
            platform::layoutText("macOS could not decode readable pixels from this image.",
                                 "The image decoders could not read pixels from this image."));
    const auto data = encodedLikeSource(*pixels, job.source());
    if (!data || data->empty()) throw RepairError::writeFailed("Could not encode repaired image data.");
    removeExistingOutput(job.output);
    writeFileContents(job.output, std::string_view(reinterpret_cast<const char*>(data->data()), data->size()),
                      "Cannot write repaired image");
    job.report(RepairProgressStage::verifying, 0.88, "Verifying repaired image");
    return job.outcome("Exported a normalized image copy.", job.validated());
}

}  // namespace tidewell::FileFirstAidEngine
