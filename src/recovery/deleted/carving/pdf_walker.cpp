#include <cctype>
#include <string>

#include "recovery/deleted/carving/structure_walkers.h"
#include "recovery/deleted/carving/tag_text.h"
#include "util/unicode_text.h"

namespace tidewell::FileCarving::Walkers {

namespace Limits {
inline constexpr std::int64_t startxrefLookBack = 1024;
inline constexpr std::int64_t maxInfoSearchBytes = 64 * 1024 * 1024;
inline constexpr std::size_t maxDictionaryBytes = 4096;
}  // namespace Limits

namespace {

bool isSpace(std::uint8_t c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == 0;
}

std::string text(ByteSource& source, std::int64_t at, std::int64_t length) {
    length = std::max<std::int64_t>(0, std::min(length, source.available() - at));
    auto bytes = source.bytes(at, static_cast<std::size_t>(length));
    return {bytes.begin(), bytes.end()};
}

// The number after `at` (skipping white space), as digits.
std::optional<std::int64_t> numberAfter(const std::string& s, std::size_t& at) {
    while (at < s.size() && isSpace(static_cast<std::uint8_t>(s[at]))) ++at;
    std::size_t first = at;
    std::int64_t value = 0;
    while (at < s.size() && std::isdigit(static_cast<unsigned char>(s[at])) && at - first < 15)
        value = value * 10 + (s[at++] - '0');
    if (at == first) return std::nullopt;
    return value;
}

// True when `offset` starts a cross-reference section: an xref table, or an
// object whose dictionary says /Type /XRef.
bool isCrossReference(ByteSource& source, std::int64_t offset) {
    if (source.matches(offset, "xref")) return true;
    std::string head = text(source, offset, 512);
    std::size_t at = 0;
    if (!numberAfter(head, at) || !numberAfter(head, at)) return false;
    while (at < head.size() && isSpace(static_cast<std::uint8_t>(head[at]))) ++at;
    if (head.compare(at, 3, "obj") != 0) return false;
    auto type = head.find("/Type", at);
    return type != std::string::npos && head.find("/XRef", type) != std::string::npos;
}

// The offset `startxref` gives before the %%EOF at `eof`, when it points at a
// cross-reference section inside the file.
std::optional<std::int64_t> closingCrossReference(ByteSource& source, std::int64_t eof) {
    std::int64_t from = std::max<std::int64_t>(0, eof - Limits::startxrefLookBack);
    std::string tail = text(source, from, eof - from);
    auto keyword = tail.rfind("startxref");
    if (keyword == std::string::npos) return std::nullopt;
    std::size_t at = keyword + 9;
    auto offset = numberAfter(tail, at);
    if (!offset || *offset >= eof || !isCrossReference(source, *offset)) return std::nullopt;
    return offset;
}

// An incremental update follows a %%EOF: an object ("12 0 obj"), a comment
// or an xref table. Anything else is the next cluster's business.
bool continuesAfter(ByteSource& source, std::int64_t at) {
    std::string next = text(source, at, 96);
    std::size_t from = next.find_first_not_of(" \r\n\t\f");
    if (from == std::string::npos) return false;
    if (next.compare(from, 4, "xref") == 0) return true;
    if (next[from] == '%') return next.compare(from, 4, "%PDF") != 0;
    std::size_t position = from;
    if (!numberAfter(next, position) || !numberAfter(next, position)) return false;
    while (position < next.size() && isSpace(static_cast<std::uint8_t>(next[position]))) ++position;
    return next.compare(position, 3, "obj") == 0;
}

std::int64_t afterEndOfLine(ByteSource& source, std::int64_t at) {
    if (source.matches(at, "\r\n")) return at + 2;
    if (source.matches(at, "\r") || source.matches(at, "\n")) return at + 1;
    return at;
}

// A text string: UTF-16BE after its mark, else PDFDocEncoding (read as Latin-1).
std::optional<std::string> decodedString(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        out = utf16Text(bytes, 0, true);
    else
        out = encodeUTF8(std::u32string(bytes.begin(), bytes.end()));
    if (out.empty()) return std::nullopt;
    return out;
}

std::optional<std::string> literalString(const std::string& s, std::size_t at) {
    std::vector<std::uint8_t> bytes;
    int depth = 1;
    for (++at; at < s.size(); ++at) {
        auto c = static_cast<std::uint8_t>(s[at]);
        if (c == '\\' && at + 1 < s.size()) {
            char e = s[++at];
            if (e >= '0' && e <= '7') {
                int value = 0;
                for (int n = 0; n < 3 && at < s.size() && s[at] >= '0' && s[at] <= '7'; ++n)
                    value = value * 8 + (s[at++] - '0');
                --at;
                bytes.push_back(static_cast<std::uint8_t>(value));
            } else {
                static const std::string from = "nrtbf", to = "\n\r\t\b\f";
                auto known = from.find(e);
                if (e != '\n' && e != '\r')
                    bytes.push_back(static_cast<std::uint8_t>(known == std::string::npos ? e : to[known]));
            }
            continue;
        }
        if (c == '(') ++depth;
        if (c == ')' && --depth == 0) {
            return decodedString(bytes);
        }
        bytes.push_back(c);
    }
    return std::nullopt;
}

std::optional<std::string> hexString(const std::string& s, std::size_t at) {
    std::vector<std::uint8_t> bytes;
    std::string digits;
    for (++at; at < s.size() && s[at] != '>'; ++at)
        if (std::isxdigit(static_cast<unsigned char>(s[at]))) digits.push_back(s[at]);
    if (at >= s.size()) return std::nullopt;
    if (digits.size() % 2) digits.push_back('0');
    for (std::size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return decodedString(bytes);
}

// The Title of the document information dictionary the trailer names, when
// that dictionary is a plain object (not packed in an object stream).
std::optional<std::string> infoTitle(ByteSource& source, std::int64_t crossReference, std::int64_t eof) {
    std::string trailer = text(source, crossReference, std::min<std::int64_t>(eof - crossReference, 65536));
    auto info = trailer.rfind("/Info");
    if (info == std::string::npos) return std::nullopt;
    std::size_t at = info + 5;
    auto number = numberAfter(trailer, at);
    auto generation = numberAfter(trailer, at);
    if (!number || !generation) return std::nullopt;
    std::string header = std::to_string(*number) + " " + std::to_string(*generation) + " obj";
    for (std::int64_t from = 0; from < std::min(eof, Limits::maxInfoSearchBytes);) {
        auto hit = source.find(header, from, std::min(eof, Limits::maxInfoSearchBytes));
        if (!hit) return std::nullopt;
        from = *hit + 1;
        if (*hit > 0 && !isSpace(source.u8(*hit - 1))) continue;
        std::string object = text(source, *hit, Limits::maxDictionaryBytes);
        auto end = object.find("endobj");
        auto title = object.find("/Title");
        if (title == std::string::npos || title > end) return std::nullopt;
        auto value = object.find_first_not_of(" \r\n\t", title + 6);
        if (value == std::string::npos) return std::nullopt;
        if (object[value] == '(') return literalString(object, value);
        if (object[value] == '<') return hexString(object, value);
        return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

// The file ends at the last %%EOF that closes a valid cross-reference section
// (an incremental update adds another); what follows it must not look like
// more of the same file.
StructureWalk pdf(ByteSource& source, StructureWalk& walk) {
    walk = StructureWalk{WalkStatus::notThisFormat, 0, "PDF", "pdf", {}, {}};
    if (!source.matches(0, "%PDF-")) return walk;
    walk.status = WalkStatus::truncated;  // recognised: from here on, a short read means truncated
    std::optional<std::int64_t> crossReference;
    for (std::int64_t from = 0;;) {
        auto eof = source.find("%%EOF", from, source.available());
        if (!eof) break;
        from = afterEndOfLine(source, *eof + 5);
        if (auto closing = closingCrossReference(source, *eof)) {
            crossReference = closing;
            walk.length = from;
        }
        if (!continuesAfter(source, from)) break;
    }
    if (!crossReference) {
        walk.length = source.available();
        return ended(walk, WalkStatus::truncated);
    }
    walk.title = infoTitle(source, *crossReference, walk.length);
    return ended(walk, WalkStatus::complete);
}

}  // namespace tidewell::FileCarving::Walkers
