#include "firstaid/image_pixels.h"

#include <cstring>
#include <memory>

#include <libheif/heif.h>
#include <png.h>

#include "firstaid/image_reading.h"
#include "platform/image_decoder.h"
#include "platform/image_memory_readers.h"
#include "platform/jpeg_error_jump.h"

namespace tidewell::FileFirstAidEngine {

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::optional<PixelImage> blankImage(long long width, long long height) {
    if (width <= 0 || height <= 0 || width * height * 4 > ImageLimits::maximumPixelBytes) return std::nullopt;
    PixelImage image{static_cast<int>(width), static_cast<int>(height), {}};
    image.rgba.resize(static_cast<std::size_t>(width * height * 4));
    return image;
}

// The strict check has already read every scanline; this pass keeps them.
bool readJpegRows(jpeg_decompress_struct& info, std::optional<PixelImage>& image) {
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    image = blankImage(info.output_width, info.output_height);
    if (!image) return false;
    Bytes row(static_cast<std::size_t>(info.output_width) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        const auto y = info.output_scanline;
        if (jpeg_read_scanlines(&info, rows, 1) != 1) return false;
        std::uint8_t* target = image->rgba.data() + static_cast<std::size_t>(y) * info.output_width * 4;
        for (std::size_t x = 0; x < info.output_width; ++x) {
            std::memcpy(target + x * 4, row.data() + x * 3, 3);
            target[x * 4 + 3] = 0xFF;
        }
    }
    jpeg_finish_decompress(&info);
    return true;
}

std::optional<PixelImage> jpegPixels(const Bytes& bytes) {
    jpeg_decompress_struct info{};
    platform::JpegErrorJump errors{};
    std::optional<PixelImage> image;
    info.err = platform::jumpingJpegErrors(errors);
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    const bool complete = readJpegRows(info, image);
    jpeg_destroy_decompress(&info);
    return complete ? image : std::nullopt;
}

std::optional<PixelImage> pngPixels(const Bytes& bytes) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return std::nullopt;
    png.format = PNG_FORMAT_RGBA;
    auto image = blankImage(png.width, png.height);
    if (!image || !png_image_finish_read(&png, nullptr, image->rgba.data(), 0, nullptr)) {
        png_image_free(&png);
        return std::nullopt;
    }
    return image;
}

// The first frame drawn on the logical screen; uncovered and transparent pixels stay clear.
void paintGifFrame(const GifFileType& gif, PixelImage& image) {
    const SavedImage& frame = gif.SavedImages[0];
    const ColorMapObject* colors = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif.SColorMap;
    GraphicsControlBlock control{};
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    DGifSavedExtensionToGCB(const_cast<GifFileType*>(&gif), 0, &control);
    const auto& box = frame.ImageDesc;
    for (int y = 0; y < box.Height; ++y) {
        for (int x = 0; x < box.Width; ++x) {
            const int index = frame.RasterBits[y * box.Width + x];
            const int screenX = box.Left + x, screenY = box.Top + y;
            if (!colors || index >= colors->ColorCount || index == control.TransparentColor) continue;
            if (screenX >= image.width || screenY >= image.height) continue;
            std::uint8_t* pixel = image.rgba.data() + (static_cast<std::size_t>(screenY) * image.width + screenX) * 4;
            const GifColorType& color = colors->Colors[index];
            pixel[0] = color.Red, pixel[1] = color.Green, pixel[2] = color.Blue, pixel[3] = 0xFF;
        }
    }
}

std::optional<PixelImage> gifPixels(const Bytes& bytes) {
    platform::GifMemorySource source{bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, platform::readGifFromMemory, &error);
    if (!gif) return std::nullopt;
    std::optional<PixelImage> image;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) image = blankImage(gif->SWidth, gif->SHeight);
    if (image) paintGifFrame(*gif, *image);
    DGifCloseFile(gif, &error);
    return image;
}

std::optional<PixelImage> tiffPixels(const Bytes& bytes) {
    const platform::TiffMemoryReader reader(bytes);
    TIFF* tiff = reader.tiff();
    if (!tiff) return std::nullopt;
    std::uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    auto image = blankImage(width, height);
    if (!image) return std::nullopt;
    std::vector<std::uint32_t> packed(static_cast<std::size_t>(width) * height);
    if (!TIFFReadRGBAImageOriented(tiff, width, height, packed.data(), ORIENTATION_TOPLEFT, 1)) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < packed.size(); ++i) {
        std::uint8_t* pixel = image->rgba.data() + i * 4;
        pixel[0] = TIFFGetR(packed[i]), pixel[1] = TIFFGetG(packed[i]);
        pixel[2] = TIFFGetB(packed[i]), pixel[3] = TIFFGetA(packed[i]);
    }
    return image;
}

std::optional<PixelImage> heifPixels(const Bytes& bytes) {
    std::unique_ptr<heif_context, void (*)(heif_context*)> context(heif_context_alloc(), heif_context_free);
    if (heif_context_read_from_memory_without_copy(context.get(), bytes.data(), bytes.size(), nullptr).code) {
        return std::nullopt;
    }
    heif_image_handle* rawHandle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &rawHandle).code) return std::nullopt;
    std::unique_ptr<heif_image_handle, void (*)(const heif_image_handle*)> handle(rawHandle, heif_image_handle_release);
    heif_image* rawImage = nullptr;
    if (heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, nullptr).code) {
        return std::nullopt;
    }
    std::unique_ptr<heif_image, void (*)(const heif_image*)> decoded(rawImage, heif_image_release);
    int stride = 0;
    const std::uint8_t* plane = heif_image_get_plane_readonly(decoded.get(), heif_channel_interleaved, &stride);
    auto image = blankImage(heif_image_get_width(decoded.get(), heif_channel_interleaved),
                            heif_image_get_height(decoded.get(), heif_channel_interleaved));
    if (!plane || !image) return std::nullopt;
    const std::size_t rowBytes = static_cast<std::size_t>(image->width) * 4;
    for (int y = 0; y < image->height; ++y) {
        std::memcpy(image->rgba.data() + y * rowBytes, plane + static_cast<std::ptrdiff_t>(y) * stride, rowBytes);
    }
    return image;
}

}  // namespace

std::optional<PixelImage> decodePixels(const fs::path& url) {
    const std::optional<Bytes> read = imageFileBytes(url);
    if (!read || !platform::decodeImage(*read)) return std::nullopt;
    const Bytes& bytes = *read;
    switch (*platform::sniffImageFormat(bytes)) {
        case platform::ImageFormat::jpeg:
            return jpegPixels(bytes);
        case platform::ImageFormat::png:
            return pngPixels(bytes);
        case platform::ImageFormat::gif:
            return gifPixels(bytes);
        case platform::ImageFormat::tiff:
            return tiffPixels(bytes);
        case platform::ImageFormat::heif:
            return heifPixels(bytes);
    }
    return std::nullopt;
}

}  // namespace tidewell::FileFirstAidEngine
