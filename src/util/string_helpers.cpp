#include "util/string_helpers.h"

#include <algorithm>
#include <cctype>

namespace tidewell {

namespace {

bool isHexDigit(char character) {
    return std::isxdigit(static_cast<unsigned char>(character)) != 0;
}

char lowered(char character) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
}
char raised(char character) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
}

}  // namespace

bool tidewellLooksLikeUUID(std::string_view text) {
    if (text.size() == 32) return std::all_of(text.begin(), text.end(), isHexDigit);
    if (text.size() != 36) return false;
    for (std::size_t index = 0; index < text.size(); ++index) {
        const bool dashPosition = index == 8 || index == 13 || index == 18 || index == 23;
        if (dashPosition ? text[index] != '-' : !isHexDigit(text[index])) return false;
    }
    return true;
}

bool tidewellIsHyphenatedUUID(std::string_view text) {
    return text.size() == 36 && tidewellLooksLikeUUID(text);
}

std::string tidewellDisplayName(std::string_view token) {
    std::string result;
    std::size_t start = 0;
    while (start <= token.size()) {
        const std::size_t end = std::min(token.find_first_of("-_", start), token.size());
        if (end > start) {
            if (!result.empty()) result += ' ';
            result += raised(token[start]);
            std::transform(token.begin() + static_cast<std::ptrdiff_t>(start) + 1,
                           token.begin() + static_cast<std::ptrdiff_t>(end), std::back_inserter(result), lowered);
        }
        start = end + 1;
    }
    return result;
}

}  // namespace tidewell
