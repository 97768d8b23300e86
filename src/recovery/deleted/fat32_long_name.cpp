#include "recovery/deleted/fat32_long_name.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>
#include <vector>

#include "recovery/deleted/fat32_directory_record.h"
#include "recovery/deleted/little_endian_bytes.h"
#include "util/unicode_text.h"

namespace tidewell::FATDeletedRecoveryEngine {

namespace {

using Record = std::span<const std::uint8_t>;

constexpr std::size_t unitsPerRecord = 13;
// A long name holds at most 255 UTF-16 units: twenty records.
constexpr std::size_t maximumUnits = 255;
constexpr std::size_t maximumRecords = 20;
// Where a long-name record keeps its 13 UTF-16 units.
constexpr std::array<std::size_t, unitsPerRecord> unitOffsets{1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
constexpr std::size_t checksumOffset = 13;
constexpr std::uint16_t padding = 0xFFFF;
// Stored as a short name's first byte for a first character 0xE5, which
// would read as the deletion mark.
constexpr std::uint8_t escapedDeletedMark = 0x05;

// The deleted long-name records right before the short record, nearest
// first: that is the order of the name's pieces, since the ordinals are
// gone. None when a piece next to them is live or does not look like a
// long-name record (type 0, cluster 0): it belongs to no deleted name.
std::optional<std::vector<Record>> runBefore(std::span<const std::uint8_t> directory, std::size_t shortRecordOffset) {
    std::vector<Record> run;
    for (std::size_t at = shortRecordOffset; at >= DirectoryRecord::size; at -= DirectoryRecord::size) {
        Record record = directory.subspan(at - DirectoryRecord::size, DirectoryRecord::size);
        if (DirectoryRecord::attributes(record) != DirectoryRecord::longNameAttributes) break;
        LittleEndianBytes fields(record);
        if (DirectoryRecord::firstByte(record) != DirectoryRecord::deletedMark || fields.u8(12) != 0 ||
            fields.u16(26) != 0 || run.size() == maximumRecords)
            return std::nullopt;
        run.push_back(record);
    }
    return run;
}

// Every piece but the last is full; the last holds at least one unit, then
// 0x0000 and 0xFFFF padding when there is room. Anything else is a gap, a
// wrong count or a piece of another name.
std::optional<std::u16string> nameUnits(const std::vector<Record>& run) {
    std::u16string units;
    for (Record record : run) {
        LittleEndianBytes fields(record);
        for (std::size_t offset : unitOffsets) units.push_back(static_cast<char16_t>(fields.u16(offset)));
    }
    std::size_t end = std::min(units.find(u'\0'), units.size());
    if (end <= (run.size() - 1) * unitsPerRecord) return std::nullopt;
    if (end < units.size() && !std::all_of(units.begin() + static_cast<std::ptrdiff_t>(end) + 1, units.end(),
                                           [](char16_t unit) { return unit == padding; }))
        return std::nullopt;
    units.resize(end);
    if (units.size() > maximumUnits || units.find(static_cast<char16_t>(padding)) != std::u16string::npos)
        return std::nullopt;
    return units;
}

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Refused: unpaired surrogates, "/", control characters and noncharacters;
// none of them can name a file, and "/" would split the exported path.
bool isNameCharacter(char32_t character) {
    return character >= 0x20 && character != 0x7F && !(character >= 0x80 && character < 0xA0) && character != '/' &&
           character != 0xFFFE && character != 0xFFFF;
}

std::optional<std::u32string> decodedName(std::u16string_view units) {
    std::u32string name;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t character = units[i];
        if (isHighSurrogate(units[i])) {
            if (i + 1 >= units.size() || !isLowSurrogate(units[i + 1])) return std::nullopt;
            character = 0x10000 + ((character - 0xD800) << 10) + (units[++i] - 0xDC00);
        } else if (isLowSurrogate(units[i])) {
            return std::nullopt;
        }
        if (!isNameCharacter(character)) return std::nullopt;
        name.push_back(character);
    }
    // "." and ".." name the folder itself and its parent, never a file.
    if (std::all_of(name.begin(), name.end(), [](char32_t c) { return c == '.'; })) return std::nullopt;
    return name;
}

bool isLegalShortNameCharacter(std::uint8_t byte) {
    if ((byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9')) return true;
    if (byte >= 0x80) return byte != DirectoryRecord::deletedMark;  // code-page characters
    return byte != 0 && std::string_view("!#$%&'()-@^_`{}~").find(static_cast<char>(byte)) != std::string_view::npos;
}

bool isLegalFirstByte(std::uint8_t byte) {
    return byte == escapedDeletedMark || isLegalShortNameCharacter(byte);
}

// The one legal first byte for which the short name's checksum is the run's;
// none when no byte or more than one does.
std::optional<std::uint8_t> restoredFirstByte(Record shortRecord, std::uint8_t checksum) {
    std::array<std::uint8_t, 11> name{};
    std::copy_n(shortRecord.begin(), name.size(), name.begin());
    std::optional<std::uint8_t> found;
    int matches = 0;
    for (int byte = 0; byte <= 0xFF; ++byte) {
        name[0] = static_cast<std::uint8_t>(byte);
        if (isLegalFirstByte(name[0]) && shortNameChecksum(name) == checksum) {
            found = name[0];
            ++matches;
        }
    }
    return matches == 1 ? found : std::nullopt;
}

char32_t asciiUppercased(char32_t character) {
    return character >= 'a' && character <= 'z' ? character - 'a' + 'A' : character;
}

// The long name's own 8.3 form in capitals ("Mixed.Pdf" as "MIXED   PDF"),
// when it has one.
std::optional<std::array<std::uint8_t, 11>> capitalisedShortForm(const std::u32string& name) {
    auto dot = name.rfind(U'.');
    std::u32string base = name.substr(0, dot), extension = dot == std::u32string::npos ? U"" : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || extension.size() > 3) return std::nullopt;
    std::array<std::uint8_t, 11> form{};
    form.fill(' ');
    auto place = [&form](const std::u32string& part, std::size_t at) {
        for (char32_t character : part) {
            char32_t upper = asciiUppercased(character);
            if (upper > 0x7F || !isLegalShortNameCharacter(static_cast<std::uint8_t>(upper))) return false;
            form[at++] = static_cast<std::uint8_t>(upper);
        }
        return true;
    };
    if (!place(base, 0) || !place(extension, 8)) return std::nullopt;
    return form;
}

bool hasNumericTail(Record shortRecord) {
    std::string base(shortRecord.begin(), shortRecord.begin() + 8);
    base.erase(base.find_last_not_of(' ') + 1);
    auto tilde = base.rfind('~');
    return tilde != std::string::npos && tilde + 1 < base.size() &&
           std::all_of(base.begin() + static_cast<std::ptrdiff_t>(tilde) + 1, base.end(),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// Whether a short-name byte can stand for this long-name character: the
// character upper-cased, or "_" for one a short name cannot hold. Outside
// ASCII the byte depends on the code page: a code-page byte or "_" agrees.
bool standsFor(std::uint8_t byte, char32_t character) {
    char32_t upper = asciiUppercased(character);
    if (upper > 0x7F) return byte == '_' || byte >= 0x80 || byte == escapedDeletedMark;
    return byte == (isLegalShortNameCharacter(static_cast<std::uint8_t>(upper)) ? upper : U'_');
}

// A numeric-tail short name takes its first character from the long name
// after leading blanks and dots, and its extension from the first three
// characters after the long name's last dot, blanks left out. A run that lost
// its first or last pieces fails here.
bool tailedNameAgrees(Record shortRecord, std::uint8_t firstByte, const std::u32string& longName) {
    std::u32string basis;
    std::copy_if(longName.begin(), longName.end(), std::back_inserter(basis), [](char32_t c) { return c != ' '; });
    basis.erase(0, basis.find_first_not_of(U'.'));
    if (basis.empty() || !standsFor(firstByte, basis.front())) return false;
    auto dot = basis.rfind(U'.');
    std::u32string extension = dot == std::u32string::npos ? U"" : basis.substr(dot + 1, 3);
    std::string stored(shortRecord.begin() + 8, shortRecord.begin() + 11);
    stored.erase(stored.find_last_not_of(' ') + 1);
    if (stored.size() != extension.size()) return false;
    for (std::size_t i = 0; i < extension.size(); ++i)
        if (!standsFor(static_cast<std::uint8_t>(stored[i]), extension[i])) return false;
    return true;
}

// A short name made from the long name must agree with it: a numeric-tail
// name ("HOLIDA~1.PDF") in its first character and extension, the long name's
// capitals ("MIXED.PDF" for "Mixed.Pdf") in its first character. Any other
// short name has only the checksum to go by.
bool agreesWithLongName(Record shortRecord, std::uint8_t firstByte, const std::u32string& longName) {
    if (hasNumericTail(shortRecord)) return tailedNameAgrees(shortRecord, firstByte, longName);
    auto form = capitalisedShortForm(longName);
    if (!form || !std::equal(form->begin() + 1, form->end(), shortRecord.begin() + 1)) return true;
    return firstByte == form->front();
}

}  // namespace

std::uint8_t shortNameChecksum(std::span<const std::uint8_t> name11) {
    std::uint8_t sum = 0;
    for (std::uint8_t byte : name11.first(11)) sum = static_cast<std::uint8_t>(((sum & 1) << 7) + (sum >> 1) + byte);
    return sum;
}

std::optional<RestoredLongName> deletedLongName(std::span<const std::uint8_t> directory,
                                                std::size_t shortRecordOffset) {
    if (shortRecordOffset > directory.size() || directory.size() - shortRecordOffset < DirectoryRecord::size)
        return std::nullopt;
    Record shortRecord = directory.subspan(shortRecordOffset, DirectoryRecord::size);
    if (DirectoryRecord::firstByte(shortRecord) != DirectoryRecord::deletedMark ||
        DirectoryRecord::attributes(shortRecord) == DirectoryRecord::longNameAttributes)
        return std::nullopt;
    auto run = runBefore(directory, shortRecordOffset);
    if (!run || run->empty()) return std::nullopt;
    auto checksumOf = [](Record record) { return LittleEndianBytes(record).u8(checksumOffset); };
    std::uint8_t checksum = checksumOf(run->front());
    if (!std::all_of(run->begin(), run->end(), [&](Record record) { return checksumOf(record) == checksum; }))
        return std::nullopt;
    auto units = nameUnits(*run);
    auto name = units ? decodedName(*units) : std::nullopt;
    if (!name) return std::nullopt;
    auto firstByte = restoredFirstByte(shortRecord, checksum);
    if (!firstByte || !agreesWithLongName(shortRecord, *firstByte, *name)) return std::nullopt;
    return RestoredLongName{.longName = encodeUTF8(*name), .shortNameFirstByte = *firstByte};
}

std::optional<std::string> liveLongName(std::span<const std::uint8_t> directory, std::size_t shortRecordOffset) {
    if (shortRecordOffset > directory.size() || directory.size() - shortRecordOffset < DirectoryRecord::size)
        return std::nullopt;
    // A live run read as a deleted one: the ordinals are not needed (the
    // nearest piece comes first either way), and the checksum must give back
    // the short name's own first byte.
    std::size_t first = shortRecordOffset - std::min(shortRecordOffset, maximumRecords * DirectoryRecord::size);
    std::vector<std::uint8_t> run(
        directory.begin() + static_cast<std::ptrdiff_t>(first),
        directory.begin() + static_cast<std::ptrdiff_t>(shortRecordOffset + DirectoryRecord::size));
    std::size_t shortAt = run.size() - DirectoryRecord::size;
    std::uint8_t shortFirstByte = run[shortAt];
    if (shortFirstByte == DirectoryRecord::deletedMark || shortFirstByte == DirectoryRecord::endOfDirectory)
        return std::nullopt;
    for (std::size_t at = shortAt; at >= DirectoryRecord::size; at -= DirectoryRecord::size) {
        if (run[at - DirectoryRecord::size + 11] != DirectoryRecord::longNameAttributes) break;
        if (run[at - DirectoryRecord::size] == DirectoryRecord::deletedMark) break;
        run[at - DirectoryRecord::size] = DirectoryRecord::deletedMark;
    }
    run[shortAt] = DirectoryRecord::deletedMark;
    auto restored = deletedLongName(run, shortAt);
    if (!restored || restored->shortNameFirstByte != shortFirstByte) return std::nullopt;
    return restored->longName;
}

}  // namespace tidewell::FATDeletedRecoveryEngine
