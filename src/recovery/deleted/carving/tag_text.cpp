#include "recovery/deleted/carving/tag_text.h"

#include "util/unicode_text.h"

namespace tidewell::FileCarving {

std::string utf16Text(const std::vector<std::uint8_t>& bytes, std::size_t from, bool bigEndianWithoutMark) {
    bool big = bigEndianWithoutMark;
    if (bytes.size() >= from + 2 && ((bytes.at(from) == 0xFE && bytes.at(from + 1) == 0xFF) ||
                                     (bytes.at(from) == 0xFF && bytes.at(from + 1) == 0xFE))) {
        big = bytes.at(from) == 0xFE;
        from += 2;
    }
    std::u32string text;
    for (std::size_t i = from; i + 1 < bytes.size(); i += 2) {
        char32_t unit = big ? (bytes.at(i) << 8 | bytes.at(i + 1)) : (bytes.at(i + 1) << 8 | bytes.at(i));
        if (unit == 0) break;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
            char32_t low = big ? (bytes.at(i + 2) << 8 | bytes.at(i + 3)) : (bytes.at(i + 3) << 8 | bytes.at(i + 2));
            if (low >= 0xDC00 && low < 0xE000) {
                text.push_back(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        text.push_back(unit >= 0xD800 && unit < 0xE000 ? U'\uFFFD' : unit);
    }
    return encodeUTF8(text);
}

std::optional<std::string> id3Text(const std::vector<std::uint8_t>& frame) {
    if (frame.empty()) return std::nullopt;
    std::string text;
    switch (frame.front()) {
        case 0: {  // Latin-1: each byte is its own code point
            std::u32string latin;
            for (std::size_t i = 1; i < frame.size() && frame.at(i) != 0; ++i) latin.push_back(frame.at(i));
            text = encodeUTF8(latin);
            break;
        }
        case 1:
        case 2:
            text = utf16Text(frame, 1, true);
            break;
        case 3:
            for (std::size_t i = 1; i < frame.size() && frame.at(i) != 0; ++i)
                text.push_back(static_cast<char>(frame.at(i)));
            text = encodeUTF8(decodeUTF8(text));
            break;
        default:
            return std::nullopt;
    }
    if (text.empty()) return std::nullopt;
    return text;
}

}  // namespace tidewell::FileCarving
