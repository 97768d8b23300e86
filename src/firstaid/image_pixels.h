#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

// Decoded images as plain 8-bit RGBA pixels, and their re-encoding.
namespace tidewell::FileFirstAidEngine {

namespace ImageLimits {
// Largest decoded bitmap held in memory (4 bytes per pixel).
inline constexpr std::int64_t maximumPixelBytes = 1LL * 1024 * 1024 * 1024;
}  // namespace ImageLimits

struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // rows top to bottom, 4 bytes per pixel
};

// Every pixel of a JPEG, PNG, GIF (first frame), TIFF or HEIF file; none when
// the file does not pass the strict decoder or is above the memory limits.
std::optional<PixelImage> decodePixels(const std::filesystem::path& url);

// Encoded file bytes; none when the encoder fails.
std::optional<std::vector<std::uint8_t>> encodeJpeg(const PixelImage& image, int quality);
std::optional<std::vector<std::uint8_t>> encodePng(const PixelImage& image);
std::optional<std::vector<std::uint8_t>> encodeTiff(const PixelImage& image);

}  // namespace tidewell::FileFirstAidEngine
