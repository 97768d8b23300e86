#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tidewell::FileCarving {

// UTF-16 (with or without a byte-order mark; big-endian when it has none) as
// UTF-8; unpaired surrogates become U+FFFD.
std::string utf16Text(const std::vector<std::uint8_t>& bytes, std::size_t from, bool bigEndianWithoutMark);

// The text of an ID3v2 text frame: its encoding byte (Latin-1, UTF-16 with a
// mark, UTF-16BE, UTF-8), then the text up to the first terminator. None when
// empty.
std::optional<std::string> id3Text(const std::vector<std::uint8_t>& frame);

}  // namespace tidewell::FileCarving
