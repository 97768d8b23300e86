#include "recovery/readable/localized_name_order.h"

namespace tidewell {

namespace {

// Decodes one UTF-8 sequence at `position`; a malformed byte reads as itself.
char32_t nextCodePoint(std::string_view text, std::size_t& position) {
    auto byte = static_cast<unsigned char>(text[position++]);
    int length = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
    char32_t value = length == 0 ? byte : byte & (0x3F >> length);
    for (int i = 0; i < length; ++i) {
        if (position >= text.size()) return byte;
        auto next = static_cast<unsigned char>(text[position]);
        if ((next & 0xC0) != 0x80) return byte;
        value = (value << 6) | (next & 0x3F);
        ++position;
    }
    return value;
}

// ASCII and Latin-1 letters fold without depending on the process locale.
char32_t folded(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    return c;
}

}  // namespace

int localizedCaseInsensitiveCompare(std::string_view left, std::string_view right) {
    std::size_t l = 0;
    std::size_t r = 0;
    while (l < left.size() && r < right.size()) {
        char32_t a = folded(nextCodePoint(left, l));
        char32_t b = folded(nextCodePoint(right, r));
        if (a != b) return a < b ? -1 : 1;
    }
    if (l < left.size()) return 1;
    if (r < right.size()) return -1;
    return left.compare(right) < 0 ? -1 : left.compare(right) > 0 ? 1 : 0;
}

bool localizedCaseInsensitiveLess(std::string_view left, std::string_view right) {
    return localizedCaseInsensitiveCompare(left, right) < 0;
}

}  // namespace tidewell
