#include "platform/image_decoder.h"

namespace tidewell::platform {

// Not yet implemented: no data is accepted.
std::optional<ImageDimensions> decodeJpeg(std::span<const std::uint8_t>) { return std::nullopt; }

}  // namespace tidewell::platform
