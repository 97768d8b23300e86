#pragma once

#include <cstdint>

namespace tidewell::FileFirstAidEngine::RepairLimits {

inline constexpr std::int64_t maximumInputBytes = 50LL * 1024 * 1024 * 1024;
inline constexpr std::int64_t maximumArchiveEntries = 20'000;
inline constexpr std::int64_t maximumExpandedArchiveBytes = 8LL * 1024 * 1024 * 1024;
inline constexpr double maximumExpansionRatio = 200.0;
inline constexpr std::int64_t maximumArchiveDepth = 24;

// Bounded reads of a diagnosis.
inline constexpr std::int64_t headSampleBytes = 4096;
inline constexpr std::int64_t tailSampleBytes = 2'000'000;
inline constexpr std::int64_t kindSniffBytes = 16;
// An image is decoded in memory; a larger file is not read at all.
inline constexpr std::int64_t maximumDecodedImageBytes = 1LL * 1024 * 1024 * 1024;

}  // namespace tidewell::FileFirstAidEngine::RepairLimits
