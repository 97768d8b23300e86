#pragma once

#include <cstdint>
#include <limits>

namespace tidewell {

// Byte counts are summed in 64 bits; a sum that would overflow stops at the
// largest value instead of wrapping to a negative size.
inline std::int64_t saturatingSum(std::int64_t left, std::int64_t right) {
    if (right > 0 && left > std::numeric_limits<std::int64_t>::max() - right)
        return std::numeric_limits<std::int64_t>::max();
    return left + right;
}

}  // namespace tidewell
