#include <algorithm>
#include <array>

#include "firstaid/file_first_aid_engine.h"
#include "firstaid/file_samples.h"
#include "firstaid/image_reading.h"
#include "firstaid/tool_runs.h"
#include "platform/layout_text.h"
#include "util/text_helpers.h"

namespace tidewell::FileFirstAidEngine {

namespace {

bool hasSafeImageExtension(const std::string& lowercasedExtension) {
    static const std::array<std::string_view, 6> safe{"jpg", "jpeg", "png", "tiff", "heic", "gif"};
    return std::find(safe.begin(), safe.end(), lowercasedExtension) != safe.end();
}

}  // namespace

FileRepairDiagnostic diagnoseImage(const std::filesystem::path& url, std::int64_t sizeBytes) {
    const auto dimensions = decodeImageFile(url);
    const std::string extension = text_helpers::lowercased(text_helpers::pathExtension(url));
    const bool safeExport = dimensions && hasSafeImageExtension(extension);
    const std::string pixels =
        dimensions ? std::to_string(dimensions->width) + " x " + std::to_string(dimensions->height) + " px" : "";

    auto diagnostic = startDiagnostic(url, FileRepairKind::imageFile, sizeBytes);
    auto& findings = diagnostic.findings;
    findings.push_back(dimensions ? RepairFinding("Image decoder",
                                                  platform::layoutText("macOS can decode this image.",
                                                                       "The image decoders can read this image."),
                                                  RepairFindingLevel::ok)
                                  : RepairFinding("Image decoder",
                                                  platform::layoutText("macOS could not decode readable pixels.",
                                                                       "The image decoders could not read its pixels."),
                                                  RepairFindingLevel::warning));
    findings.push_back(
        dimensions ? RepairFinding("Pixel preview", pixels, RepairFindingLevel::ok)
                   : RepairFinding("Pixel preview", "No readable image dimensions.", RepairFindingLevel::warning));
    findings.push_back(
        safeExport
            ? RepairFinding("Safe export", "Tidewell can export a normalized image copy.", RepairFindingLevel::ok)
            : RepairFinding("Safe export", "No safe image export path is available.", RepairFindingLevel::failed));
    diagnostic.canAttemptRepair = safeExport;
    diagnostic.recommendedAction = safeExport ? "Export a normalized image copy. The original file will not be changed."
                                              : "This image cannot be decoded enough to export a safe copy.";
    diagnostic.previewItems.emplace_back("Image", dimensions ? pixels : "No readable image dimensions.", "photo");
    diagnostic.previewItems.emplace_back("Export",
                                         extension == "heic" || extension == "gif"
                                             ? "Repaired copy exports as PNG."
                                             : "Repaired copy keeps a standard image format.",
                                         "square.and.arrow.down");
    return diagnostic;
}

FileRepairDiagnostic diagnoseAudio(const std::filesystem::path& url, std::int64_t sizeBytes) {
    const std::string extension = text_helpers::uppercased(text_helpers::pathExtension(url));
    const bool ffmpeg = toolPath("ffmpeg").has_value();

    auto diagnostic = startDiagnostic(url, FileRepairKind::audioFile, sizeBytes);
    diagnostic.findings.emplace_back("Audio type", extension + " file selected.", RepairFindingLevel::info);
    diagnostic.findings.push_back(
        ffmpeg
            ? RepairFinding("ffmpeg remux", "ffmpeg is available for stream-copy audio repair.", RepairFindingLevel::ok)
            : RepairFinding("ffmpeg remux", "ffmpeg is required to export repaired audio containers.",
                            RepairFindingLevel::warning));
    diagnostic.canAttemptRepair = ffmpeg;
    diagnostic.recommendedAction = ffmpeg ? "Export a remuxed audio copy without changing the original."
                                          : "Audio export requires bundled or installed ffmpeg.";
    diagnostic.previewItems.emplace_back("Audio container", extension, "waveform");
    diagnostic.previewItems.emplace_back("Repair method", "Stream-copy remux when ffmpeg is available.",
                                         "arrow.triangle.2.circlepath");
    return diagnostic;
}

}  // namespace tidewell::FileFirstAidEngine
