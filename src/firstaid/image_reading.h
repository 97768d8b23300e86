#pragma once

#include <filesystem>
#include <optional>

#include "platform/image_decoder.h"

namespace tidewell::FileFirstAidEngine {

// The pixel dimensions of an image file decoded strictly; none when it cannot
// be read, does not decode, or is above the in-memory decoding limit.
std::optional<platform::ImageDimensions> decodeImageFile(const std::filesystem::path& url);

}  // namespace tidewell::FileFirstAidEngine
