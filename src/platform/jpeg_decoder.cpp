#include <csetjmp>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

#include "platform/image_decoder.h"

namespace tidewell::platform {

namespace {

// Fatal errors and warnings both end the decode: libjpeg only warns about
// truncated or corrupt entropy data and would otherwise fill in grey pixels.
struct StrictErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

[[noreturn]] void failDecode(j_common_ptr info) {
    auto* manager = reinterpret_cast<StrictErrorManager*>(info->err);
    std::longjmp(manager->jump, 1);
}

void failOnWarning(j_common_ptr info, int level) {
    // Negative levels are warnings; zero and above are trace messages.
    if (level < 0) failDecode(info);
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
    StrictErrorManager errors{};
    std::vector<JSAMPLE> row;
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = failDecode;
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
