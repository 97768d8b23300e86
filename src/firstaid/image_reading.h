#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/image_decoder.h"

namespace tidewell::FileFirstAidEngine {

// Every byte of an image file; none when it is empty, cannot be read whole, or
// is above the in-memory decoding limit.
std::optional<std::vector<std::uint8_t>> imageFileBytes(const std::filesystem::path& url);

// The pixel dimensions of an image file decoded strictly; none when it cannot
// be read, does not decode, or is above the in-memory decoding limit.
std::optional<platform::ImageDimensions> decodeImageFile(const std::filesystem::path& url);

}  // namespace tidewell::FileFirstAidEngine
