#include <vector>

#include "platform/image_decoder.h"
#include "platform/image_memory_readers.h"

namespace tidewell::platform {

namespace {

// Decoding refuses images above this many pixels rather than allocate for them.
constexpr std::uint64_t maximumTiffPixels = 1ULL << 28;

std::optional<ImageDimensions> decodeOpened(const TiffMemoryReader& reader) {
    TIFF* tiff = reader.tiff();
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height)) {
        return std::nullopt;
    }
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (width == 0 || height == 0 || pixels > maximumTiffPixels) return std::nullopt;
    std::vector<std::uint32_t> raster(pixels);
    // Every strip or tile is read; the last argument stops at the first error.
    if (!TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 1) || reader.failed()) {
        return std::nullopt;
    }
    return ImageDimensions{static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace

std::optional<ImageDimensions> decodeTiff(std::span<const std::uint8_t> bytes) {
    const TiffMemoryReader reader(bytes);
    if (!reader.tiff() || reader.failed()) return std::nullopt;
    return decodeOpened(reader);
}

}  // namespace tidewell::platform
