#include "platform/image_decoder.h"
#include "platform/image_memory_readers.h"

namespace tidewell::platform {

namespace {

// Largest logical screen accepted; DGifSlurp allocates every frame whole.
constexpr long long maximumPixels = 100'000'000;

}  // namespace

std::optional<ImageDimensions> decodeGif(std::span<const std::uint8_t> bytes) {
    GifMemorySource source{bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, readGifFromMemory, &error);
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
