#pragma once

#include <cstddef>

namespace tidewell {

// Folds one field's hash into a value's hash, so values hash over all fields.
inline void hashCombine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

}  // namespace tidewell
