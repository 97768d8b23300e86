#pragma once

#include <cstdint>
#include <span>

namespace tidewell::FileFirstAidEngine {

// An unsigned big-endian field of up to 8 bytes (MP4 boxes, NAL length prefixes).
inline std::uint64_t bigEndian(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (auto byte : bytes) value = (value << 8) | byte;
    return value;
}

}  // namespace tidewell::FileFirstAidEngine
