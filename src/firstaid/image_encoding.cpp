#include <algorithm>
#include <cstdlib>
#include <memory>

#include <png.h>
#include <tiffio.h>

#include "firstaid/file_samples.h"
#include "firstaid/image_pixels.h"
#include "firstaid/temporary_work_folder.h"
#include "platform/jpeg_error_jump.h"

namespace tidewell::FileFirstAidEngine {

namespace {

// JPEG has no alpha: the colour channels are written as they stand.
void writeJpegRows(jpeg_compress_struct& info, const PixelImage& image, int quality) {
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(static_cast<std::size_t>(image.width) * 3);
    while (info.next_scanline < info.image_height) {
        const std::uint8_t* source = image.rgba.data() + static_cast<std::size_t>(info.next_scanline) * image.width * 4;
        for (int x = 0; x < image.width; ++x) {
            for (int c = 0; c < 3; ++c) row[x * 3 + c] = source[x * 4 + c];
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
}

}  // namespace

std::optional<std::vector<std::uint8_t>> encodeJpeg(const PixelImage& image, int quality) {
    jpeg_compress_struct info{};
    platform::JpegErrorJump errors{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    info.err = platform::jumpingJpegErrors(errors);
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return std::nullopt;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    writeJpegRows(info, image, quality);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

std::optional<std::vector<std::uint8_t>> encodePng(const PixelImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, image.rgba.data(), 0, nullptr)) return std::nullopt;
    std::vector<std::uint8_t> bytes(size);
    if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.rgba.data(), 0, nullptr)) return std::nullopt;
    bytes.resize(size);
    return bytes;
}

namespace {

bool writeTiffFile(const std::filesystem::path& file, const PixelImage& image) {
    std::unique_ptr<TIFF, void (*)(TIFF*)> tiff(TIFFOpen(file.c_str(), "w"), TIFFClose);
    if (!tiff) return false;
    const std::uint16_t extra[1] = {EXTRASAMPLE_UNASSALPHA};
    TIFFSetField(tiff.get(), TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(image.width));
    TIFFSetField(tiff.get(), TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(image.height));
    TIFFSetField(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, 4);
    TIFFSetField(tiff.get(), TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff.get(), TIFFTAG_EXTRASAMPLES, 1, extra);
    TIFFSetField(tiff.get(), TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff.get(), TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff.get(), TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tiff.get(), TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tiff.get(), 0));
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
    std::vector<std::uint8_t> row(rowBytes);
    for (int y = 0; y < image.height; ++y) {
        std::copy_n(image.rgba.begin() + static_cast<std::ptrdiff_t>(y * rowBytes), rowBytes, row.begin());
        if (TIFFWriteScanline(tiff.get(), row.data(), static_cast<std::uint32_t>(y), 0) < 0) return false;
    }
    return true;
}

}  // namespace

// libtiff writes through a seekable file, so the encoding goes through a work folder.
std::optional<std::vector<std::uint8_t>> encodeTiff(const PixelImage& image) {
    const TemporaryWorkFolder work("TidewellImage-");
    const auto file = work.path() / "image.tiff";
    if (!writeTiffFile(file, image)) return std::nullopt;
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (error || size == 0) return std::nullopt;
    return readBytes(file, 0, static_cast<std::size_t>(size));
}

}  // namespace tidewell::FileFirstAidEngine
