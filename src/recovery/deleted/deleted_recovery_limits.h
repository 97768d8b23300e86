#pragma once

#include <cstdint>

namespace tidewell::FATDeletedRecoveryEngine::Limits {

// Bounds on the work one scan does, whatever a damaged or huge volume claims.
inline constexpr std::int64_t maximumFATBytes = 67'108'864;
inline constexpr std::size_t maximumDirectories = 1'024;
inline constexpr std::int64_t maximumEntries = 180'000;
inline constexpr std::size_t maximumCandidates = 5'000;
inline constexpr std::int64_t maximumCandidateBytes = 34'359'738'368;
inline constexpr std::int64_t previewBytes = 65'536;
inline constexpr std::int64_t validationBytes = 262'144;
inline constexpr std::int64_t exportReadChunk = 4'194'304;

}  // namespace tidewell::FATDeletedRecoveryEngine::Limits
