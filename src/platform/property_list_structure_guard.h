#pragma once

#include <cstdint>
#include <span>

namespace tidewell::platform {

// The decoder recurses once per nesting level and copies shared objects of a
// binary list each time they are referenced, so hostile input could exhaust
// the stack or memory. This checks, without decoding, that the nesting depth
// stays within `maximumDepth` and the expanded node count within `maximumNodes`.
// It over-estimates rather than under-estimates: a false answer means "do not
// decode".
bool binaryPropertyListWithinLimits(std::span<const std::uint8_t> bytes, int maximumDepth, std::uint64_t maximumNodes);
bool xmlPropertyListWithinLimits(std::span<const std::uint8_t> bytes, int maximumDepth, std::uint64_t maximumNodes);

}  // namespace tidewell::platform
