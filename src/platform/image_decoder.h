#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tidewell::platform {

enum class ImageFormat { jpeg, png, gif, tiff, heif };

struct ImageDimensions {
    int width = 0;
    int height = 0;
    bool operator==(const ImageDimensions&) const = default;
};

// The format by its leading bytes; none when no supported signature matches.
std::optional<ImageFormat> sniffImageFormat(std::span<const std::uint8_t> bytes);

// Strict decoders: every pixel is decoded and truncated or corrupt data is
// rejected (none), where the libraries' lenient defaults would accept it.
std::optional<ImageDimensions> decodeImage(std::span<const std::uint8_t> bytes);
std::optional<ImageDimensions> decodeJpeg(std::span<const std::uint8_t> bytes);
std::optional<ImageDimensions> decodePng(std::span<const std::uint8_t> bytes);
std::optional<ImageDimensions> decodeGif(std::span<const std::uint8_t> bytes);
std::optional<ImageDimensions> decodeTiff(std::span<const std::uint8_t> bytes);
std::optional<ImageDimensions> decodeHeif(std::span<const std::uint8_t> bytes);

}  // namespace tidewell::platform
