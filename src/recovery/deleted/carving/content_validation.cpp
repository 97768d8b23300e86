#include "recovery/deleted/carving/content_validation.h"

#include "platform/image_decoder.h"

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

}  // namespace tidewell::FileCarving
