#include <cstring>

#include <gif_lib.h>

#include "platform/image_decoder.h"

namespace tidewell::platform {

namespace {

struct MemorySource {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

// giflib reads through this callback; a short count makes it fail the decode.
int readFromMemory(GifFileType* gif, GifByteType* target, int length) {
    auto* source = static_cast<MemorySource*>(gif->UserData);
    if (length <= 0) return 0;
    std::size_t count = std::min(static_cast<std::size_t>(length), source->bytes.size() - source->position);
    if (count > 0) std::memcpy(target, source->bytes.data() + source->position, count);
    source->position += count;
    return static_cast<int>(count);
}

// Largest logical screen accepted; DGifSlurp allocates every frame whole.
constexpr long long maximumPixels = 100'000'000;

}  // namespace

std::optional<ImageDimensions> decodeGif(std::span<const std::uint8_t> bytes) {
    MemorySource source{bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, readFromMemory, &error);
    if (gif == nullptr) return std::nullopt;
    ImageDimensions dimensions{gif->SWidth, gif->SHeight};
    bool plausible = dimensions.width > 0 && dimensions.height > 0 &&
                     static_cast<long long>(dimensions.width) * dimensions.height <= maximumPixels;
    // DGifSlurp decodes every frame's raster and fails on truncated or broken LZW data.
    bool decoded = plausible && DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0;
    DGifCloseFile(gif, &error);
    if (!decoded) return std::nullopt;
    return dimensions;
}

}  // namespace tidewell::platform
