#include <vector>

#include "platform/image_decoder.h"
#include "platform/jpeg_error_jump.h"

namespace tidewell::platform {

namespace {

// Fatal errors and warnings both end the decode: libjpeg only warns about
// truncated or corrupt entropy data and would otherwise fill in grey pixels.
void failOnWarning(j_common_ptr info, int level) {
    // Negative levels are warnings; zero and above are trace messages.
    if (level < 0) jumpOutOfJpeg(info);
}

// Maximum memory libjpeg may use for one decode (progressive images buffer
// every coefficient), so hostile dimensions cannot exhaust memory.
constexpr long maximumDecoderMemory = 512L * 1024 * 1024;

bool decodeAllScanlines(jpeg_decompress_struct& info, std::vector<JSAMPLE>& row) {
    jpeg_read_header(&info, TRUE);
    info.mem->max_memory_to_use = maximumDecoderMemory;
    jpeg_start_decompress(&info);
    row.resize(static_cast<std::size_t>(info.output_width) * static_cast<std::size_t>(info.output_components));
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) return false;
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

std::optional<ImageDimensions> decodeJpeg(std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) return std::nullopt;
    jpeg_decompress_struct info{};
    JpegErrorJump errors{};
    std::vector<JSAMPLE> row;
    info.err = jumpingJpegErrors(errors);
    errors.base.emit_message = failOnWarning;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return std::nullopt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    bool complete = decodeAllScanlines(info, row);
    ImageDimensions dimensions{static_cast<int>(info.output_width), static_cast<int>(info.output_height)};
    jpeg_destroy_decompress(&info);
    if (!complete || dimensions.width <= 0 || dimensions.height <= 0) return std::nullopt;
    return dimensions;
}

}  // namespace tidewell::platform
