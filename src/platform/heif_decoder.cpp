#include <libheif/heif.h>

#include <memory>

#include "platform/image_decoder.h"

namespace tidewell::platform {

namespace {

using Context = std::unique_ptr<heif_context, void (*)(heif_context*)>;
using Handle = std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)>;
using Image = std::unique_ptr<heif_image, void (*)(const heif_image*)>;

bool succeeded(const heif_error& error) {
    return error.code == heif_error_Ok;
}

}  // namespace

std::optional<ImageDimensions> decodeHeif(std::span<const std::uint8_t> bytes) {
    Context context(heif_context_alloc(), heif_context_free);
    if (!context || bytes.empty()) return std::nullopt;
    if (!succeeded(heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr))) {
        return std::nullopt;
    }
    heif_image_handle* rawHandle = nullptr;
    if (!succeeded(heif_context_get_primary_image_handle(context.get(), &rawHandle))) return std::nullopt;
    Handle handle(rawHandle, heif_image_handle_release);
    // Decoding every pixel is what finds a truncated or corrupt payload.
    heif_image* rawImage = nullptr;
    if (!succeeded(
            heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr))) {
        return std::nullopt;
    }
    Image image(rawImage, heif_image_release);
    int stride = 0;
    if (!heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride)) return std::nullopt;
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    if (width <= 0 || height <= 0) return std::nullopt;
    return ImageDimensions{width, height};
}

}  // namespace tidewell::platform
