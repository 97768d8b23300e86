#include "platform/image_decoder.h"

#include <algorithm>
#include <array>

namespace tidewell::platform {

namespace {

bool startsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> prefix) {
    return bytes.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), bytes.begin());
}

bool isHeifBrand(std::span<const std::uint8_t> bytes) {
    // ISO media "ftyp" box whose major brand is one of the HEIF brands.
    if (bytes.size() < 12 || !std::equal(bytes.begin() + 4, bytes.begin() + 8, "ftyp")) return false;
    static const std::array<const char*, 6> brands{"heic", "heix", "hevc", "heim", "heis", "mif1"};
    return std::any_of(brands.begin(), brands.end(),
                       [&](const char* brand) { return std::equal(bytes.begin() + 8, bytes.begin() + 12, brand); });
}

}  // namespace

std::optional<ImageFormat> sniffImageFormat(std::span<const std::uint8_t> bytes) {
    if (startsWith(bytes, {0xFF, 0xD8, 0xFF})) return ImageFormat::jpeg;
    if (startsWith(bytes, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return ImageFormat::png;
    if (startsWith(bytes, {'G', 'I', 'F', '8'})) return ImageFormat::gif;
    if (startsWith(bytes, {'I', 'I', 0x2A, 0x00}) || startsWith(bytes, {'M', 'M', 0x00, 0x2A}))
        return ImageFormat::tiff;
    if (isHeifBrand(bytes)) return ImageFormat::heif;
    return std::nullopt;
}

std::optional<ImageDimensions> decodeImage(std::span<const std::uint8_t> bytes) {
    auto format = sniffImageFormat(bytes);
    if (!format) return std::nullopt;
    switch (*format) {
        case ImageFormat::jpeg:
            return decodeJpeg(bytes);
        case ImageFormat::png:
            return decodePng(bytes);
        case ImageFormat::gif:
            return decodeGif(bytes);
        case ImageFormat::tiff:
            return decodeTiff(bytes);
        case ImageFormat::heif:
            return decodeHeif(bytes);
    }
    return std::nullopt;
}

}  // namespace tidewell::platform
