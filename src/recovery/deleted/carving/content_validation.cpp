#include "recovery/deleted/carving/content_validation.h"

#include <fstream>
#include <system_error>

#include "platform/image_decoder.h"
#include "util/unicode_text.h"
#include "util/uuid.h"

namespace tidewell::FileCarving {

Validation validateImage(const std::string& kind, const RawReader& reader, std::int64_t offset, std::int64_t length) {
    using Decoder = std::optional<platform::ImageDimensions> (*)(std::span<const std::uint8_t>);
    Decoder decode = kind == "JPEG"   ? platform::decodeJpeg
                     : kind == "PNG"  ? platform::decodePng
                     : kind == "GIF"  ? platform::decodeGif
                     : kind == "TIFF" ? platform::decodeTiff
                     : kind == "HEIC" ? platform::decodeHeif
                                      : nullptr;
    if (decode == nullptr || length <= 0 || length > Limits::maxValidatedImageBytes) return {};
    auto bytes = reader.read(offset, static_cast<std::size_t>(length));
    if (decode(bytes)) return {Verdict::valid, {}};
    return {Verdict::invalid, undecodableImageReason};
}

ContentValidator fileCheckValidator(FileCheck check, std::int64_t maxBytes) {
    return [check = std::move(check), maxBytes](const std::string& kind, const RawReader& reader, std::int64_t offset,
                                                std::int64_t length) -> Validation {
        if (!check || length <= 0 || length > maxBytes) return {};
        namespace fs = std::filesystem;
        std::error_code error;
        const fs::path file =
            fs::temp_directory_path(error) / ("TidewellCarved-" + makeUUIDString() + "." + lowercased(kind));
        if (error) return {};
        struct Removal {
            fs::path path;
            ~Removal() {
                std::error_code ignored;
                fs::remove(path, ignored);
            }
        } removal{file};
        {
            std::ofstream out(file, std::ios::binary);
            constexpr std::int64_t chunk = 4 * 1024 * 1024;
            for (std::int64_t done = 0; out && done < length; done += chunk) {
                const auto bytes = reader.read(offset + done, static_cast<std::size_t>(std::min(chunk, length - done)));
                out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            }
            if (!out) return {};
        }
        const WholenessCheck checked = check(file);
        if (!checked.checked) return {};
        if (checked.problem) return {Verdict::invalid, *checked.problem};
        return {Verdict::valid, {}};
    };
}

ContentValidator combinedValidator(ContentValidator others) {
    return [others = std::move(others)](const std::string& kind, const RawReader& reader, std::int64_t offset,
                                        std::int64_t length) {
        const Validation image = validateImage(kind, reader, offset, length);
        if (image.verdict != Verdict::notChecked || !others) return image;
        return others(kind, reader, offset, length);
    };
}

}  // namespace tidewell::FileCarving
