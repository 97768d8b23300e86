#include "cleanup/search_matcher.h"

#include <algorithm>

#include "util/unicode_text.h"

namespace tidewell::SearchMatcher {

namespace {

// Unicode white space and line breaks.
bool isWhiteSpace(char32_t character) {
    switch (character) {
        case U' ':
        case U'\t':
        case U'\n':
        case U'\v':
        case U'\f':
        case U'\r':
        case 0x85:
        case 0xA0:
        case 0x1680:
        case 0x2028:
        case 0x2029:
        case 0x202F:
        case 0x205F:
        case 0x3000:
            return true;
        default:
            return character >= 0x2000 && character <= 0x200A;
    }
}

}  // namespace

std::vector<std::string> tokens(std::string_view query) {
    std::vector<std::string> words;
    std::u32string word;
    for (char32_t character : decodeUTF8(query)) {
        if (!isWhiteSpace(character)) {
            word.push_back(character);
            continue;
        }
        if (!word.empty()) words.push_back(encodeUTF8(word));
        word.clear();
    }
    if (!word.empty()) words.push_back(encodeUTF8(word));
    return words;
}

bool matches(std::string_view query, const std::vector<std::string>& fields) {
    const std::vector<std::string> words = tokens(query);
    return std::all_of(words.begin(), words.end(), [&](const std::string& word) {
        return std::any_of(fields.begin(), fields.end(),
                           [&](const std::string& field) { return containsIgnoringCase(field, word); });
    });
}

}  // namespace tidewell::SearchMatcher
