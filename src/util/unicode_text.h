#pragma once

#include <string>
#include <string_view>

namespace tidewell {

// Text comparisons the user would call "ignoring case", over UTF-8 text.
// Lower-casing and the letter/digit test follow Unicode character classes;
// invalid UTF-8 bytes stand for U+FFFD.

std::u32string decodeUTF8(std::string_view text);
std::string encodeUTF8(std::u32string_view text);

char32_t lowercased(char32_t character);
std::string lowercased(std::string_view text);
bool isLetterOrDigit(char32_t character);

// True when `part` occurs in `text` ignoring case; an empty part never occurs.
bool containsIgnoringCase(std::string_view text, std::string_view part);
// <0, 0, >0 comparing the lower-cased texts code point by code point.
int compareIgnoringCase(std::string_view left, std::string_view right);

}  // namespace tidewell
