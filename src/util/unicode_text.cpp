#include "util/unicode_text.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>

namespace tidewell {

namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

// The Unicode character tables of the C.UTF-8 locale, independent of the
// process locale; none where that locale is missing (then ASCII rules apply).
locale_t unicodeLocale() {
    static const locale_t locale = [] {
        locale_t found = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (found == static_cast<locale_t>(nullptr))
            found = ::newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(nullptr));
        return found;
    }();
    return locale;
}

// Length of the sequence a lead byte starts, 0 for a byte that cannot lead.
int sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

}  // namespace

std::u32string decodeUTF8(std::string_view text) {
    std::u32string result;
    result.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const int length = sequenceLength(lead);
        if (length == 0 || text.size() - at < static_cast<std::size_t>(length)) {
            result.push_back(replacementCharacter);
            ++at;
            continue;
        }
        char32_t code = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = true;
        for (int i = 1; i < length && valid; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && code >= smallest[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        result.push_back(valid ? code : replacementCharacter);
        at += valid ? length : 1;
    }
    return result;
}

std::string encodeUTF8(std::u32string_view text) {
    std::string result;
    result.reserve(text.size());
    for (char32_t code : text) {
        if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) code = replacementCharacter;
        if (code < 0x80) {
            result.push_back(static_cast<char>(code));
        } else if (code < 0x800) {
            result.push_back(static_cast<char>(0xC0 | (code >> 6)));
            result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else if (code < 0x10000) {
            result.push_back(static_cast<char>(0xE0 | (code >> 12)));
            result.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        } else {
            result.push_back(static_cast<char>(0xF0 | (code >> 18)));
            result.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (code & 0x3F)));
        }
    }
    return result;
}

char32_t lowercased(char32_t character) {
    if (locale_t locale = unicodeLocale(); locale != static_cast<locale_t>(nullptr))
        return static_cast<char32_t>(::towlower_l(static_cast<wint_t>(character), locale));
    return character >= U'A' && character <= U'Z' ? character + (U'a' - U'A') : character;
}

std::string lowercased(std::string_view text) {
    std::u32string characters = decodeUTF8(text);
    for (char32_t& character : characters) character = lowercased(character);
    return encodeUTF8(characters);
}

bool isLetterOrDigit(char32_t character) {
    if (locale_t locale = unicodeLocale(); locale != static_cast<locale_t>(nullptr))
        return ::iswalnum_l(static_cast<wint_t>(character), locale) != 0;
    return (character >= U'a' && character <= U'z') || (character >= U'A' && character <= U'Z') ||
           (character >= U'0' && character <= U'9');
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    if (part.empty()) return false;
    return lowercased(text).find(lowercased(part)) != std::string::npos;
}

int compareIgnoringCase(std::string_view left, std::string_view right) {
    std::u32string a = decodeUTF8(left), b = decodeUTF8(right);
    for (char32_t& c : a) c = lowercased(c);
    for (char32_t& c : b) c = lowercased(c);
    return a.compare(b);
}

}  // namespace tidewell
