#include "platform/image_decoder.h"

namespace tidewell::platform {

// Not yet implemented: no data is accepted.
std::optional<ImageDimensions> decodeGif(std::span<const std::uint8_t>) { return std::nullopt; }

}  // namespace tidewell::platform
