#include <csetjmp>
#include <cstring>
#include <vector>

#include <png.h>

#include "platform/image_decoder.h"

namespace tidewell::platform {

namespace {

struct MemorySource {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

void readFromMemory(png_structp png, png_bytep target, png_size_t length) {
    auto* source = static_cast<MemorySource*>(png_get_io_ptr(png));
    if (length > source->bytes.size() - source->position) png_error(png, "truncated PNG data");
    if (length > 0) std::memcpy(target, source->bytes.data() + source->position, length);
    source->position += length;
}

void ignoreWarning(png_structp, png_const_charp) {}

// Quietly back to the setjmp in decodePng: a rejected image is an answer, not a log line.
[[noreturn]] void failDecode(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

// Every stream error, benign or CRC, is fatal here: the lenient defaults would
// accept a damaged ancillary chunk or a missing end chunk.
void makeStrict(png_structp png) {
    png_set_benign_errors(png, 0);
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
}

void decodeEveryRow(png_structp png, png_infop info, std::vector<png_byte>& row) {
    png_read_info(png, info);
    int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    row.resize(png_get_rowbytes(png, info));
    png_uint_32 height = png_get_image_height(png, info);
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 y = 0; y < height; ++y) png_read_row(png, row.data(), nullptr);
    png_read_end(png, info);
}

}  // namespace

std::optional<ImageDimensions> decodePng(std::span<const std::uint8_t> bytes) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, failDecode, ignoreWarning);
    if (png == nullptr) return std::nullopt;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return std::nullopt;
    }
    MemorySource source{bytes};
    std::vector<png_byte> row;
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        return std::nullopt;
    }
    makeStrict(png);
    png_set_read_fn(png, &source, readFromMemory);
    decodeEveryRow(png, info, row);
    ImageDimensions dimensions{static_cast<int>(png_get_image_width(png, info)),
                               static_cast<int>(png_get_image_height(png, info))};
    png_destroy_read_struct(&png, &info, nullptr);
    return dimensions;
}

}  // namespace tidewell::platform
