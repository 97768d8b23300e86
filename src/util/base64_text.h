#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell {

// Standard Base64 with "=" padding, no line breaks.
std::string base64Encoded(std::span<const std::uint8_t> bytes);
// Strict reading of the same form: the length a multiple of 4, padding only at
// the end, no other characters. None for anything else.
std::optional<std::vector<std::uint8_t>> base64Decoded(std::string_view text);

}  // namespace tidewell
