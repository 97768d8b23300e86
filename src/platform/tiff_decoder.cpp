#include <tiffio.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/image_decoder.h"

namespace tidewell::platform {

namespace {

// Decoding refuses images above this many pixels rather than allocate for them.
constexpr std::uint64_t maximumTiffPixels = 1ULL << 28;

// The bytes libtiff reads through its client callbacks, plus whether it complained.
struct MemoryStream {
    std::span<const std::uint8_t> bytes;
    toff_t offset = 0;
    bool failed = false;
};

tmsize_t readBytes(thandle_t handle, void* buffer, tmsize_t size) {
    auto* stream = static_cast<MemoryStream*>(handle);
    if (size <= 0 || stream->offset >= stream->bytes.size()) return 0;
    const auto count = std::min<std::uint64_t>(static_cast<std::uint64_t>(size), stream->bytes.size() - stream->offset);
    std::memcpy(buffer, stream->bytes.data() + stream->offset, count);
    stream->offset += count;
    return static_cast<tmsize_t>(count);
}

tmsize_t writeBytes(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t seekTo(thandle_t handle, toff_t offset, int whence) {
    auto* stream = static_cast<MemoryStream*>(handle);
    toff_t base = 0;
    if (whence == SEEK_CUR) base = stream->offset;
    if (whence == SEEK_END) base = stream->bytes.size();
    stream->offset = base + offset;
    return stream->offset;
}

int closeStream(thandle_t) {
    return 0;
}
toff_t streamSize(thandle_t handle) {
    return static_cast<MemoryStream*>(handle)->bytes.size();
}
int mapNothing(thandle_t, void**, toff_t*) {
    return 0;
}
void unmapNothing(thandle_t, void*, toff_t) {}

int recordError(TIFF*, void* userData, const char*, const char*, va_list) {
    static_cast<MemoryStream*>(userData)->failed = true;
    return 1;
}

int ignoreWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

std::optional<ImageDimensions> decodeOpened(TIFF* tiff, MemoryStream& stream) {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (!TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height)) {
        return std::nullopt;
    }
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (width == 0 || height == 0 || pixels > maximumTiffPixels) return std::nullopt;
    std::vector<std::uint32_t> raster(pixels);
    // Every strip or tile is read; the last argument stops at the first error.
    if (!TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 1) || stream.failed) {
        return std::nullopt;
    }
    return ImageDimensions{static_cast<int>(width), static_cast<int>(height)};
}

}  // namespace

std::optional<ImageDimensions> decodeTiff(std::span<const std::uint8_t> bytes) {
    MemoryStream stream{bytes};
    std::unique_ptr<TIFFOpenOptions, void (*)(TIFFOpenOptions*)> options(TIFFOpenOptionsAlloc(), TIFFOpenOptionsFree);
    if (!options) return std::nullopt;
    TIFFOpenOptionsSetErrorHandlerExtR(options.get(), recordError, &stream);
    TIFFOpenOptionsSetWarningHandlerExtR(options.get(), ignoreWarning, &stream);
    std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(
        TIFFClientOpenExt("memory", "rm", &stream, readBytes, writeBytes, seekTo, closeStream, streamSize, mapNothing,
                          unmapNothing, options.get()),
        TIFFClose);
    if (!tiff || stream.failed) return std::nullopt;
    return decodeOpened(tiff.get(), stream);
}

}  // namespace tidewell::platform
