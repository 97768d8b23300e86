#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace tidewell::testing {

using FuzzEntry = int (*)(const std::uint8_t*, std::size_t);

// A short, reproducible run of a fuzz target over bit-flipped and cut-off
// copies of its seed; the target must return normally every time.
inline void replayMutations(const std::vector<std::uint8_t>& seed, FuzzEntry entry, int rounds = 3000) {
    std::mt19937 random(20261206);
    for (int round = 0; round < rounds; ++round) {
        auto bytes = seed;
        int flips = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < flips; ++i)
            bytes[random() % bytes.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        if (round % 10 == 0) bytes.resize(random() % bytes.size());
        ASSERT_EQ(entry(bytes.data(), bytes.size()), 0) << "round " << round;
    }
}

}  // namespace tidewell::testing
