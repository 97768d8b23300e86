#include "recovery/deleted/carving/tiff_structure.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <set>

namespace tidewell::FileCarving {

namespace {

enum Tag : std::uint16_t {
    stripOffsets = 0x0111,
    stripByteCounts = 0x0117,
    tileOffsets = 0x0144,
    tileByteCounts = 0x0145,
    jpegOffset = 0x0201,
    jpegLength = 0x0202,
    subDirectories = 0x014A,
    exifDirectory = 0x8769,
    gpsDirectory = 0x8825,
    interoperabilityDirectory = 0xA005,
    make = 0x010F,
    dateTime = 0x0132,
    dateTimeOriginal = 0x9003,
    dngVersion = 0xC612,
};

std::int64_t typeSize(std::uint16_t type) {
    switch (type) {
        case 1:
        case 2:
        case 6:
        case 7:
            return 1;
        case 3:
        case 8:
            return 2;
        case 4:
        case 9:
        case 11:
        case 13:
            return 4;
        case 5:
        case 10:
        case 12:
            return 8;
        default:
            return 0;
    }
}

struct Entry {
    std::uint16_t tag = 0;
    std::uint16_t type = 0;
    std::uint32_t count = 0;
    std::int64_t valuePosition = 0;  // absolute position of the value in the source
};

class TiffWalk {
public:
    TiffWalk(ByteSource& source, std::int64_t base, bool littleEndian)
        : source_(source), base_(base), little_(littleEndian) {}

    std::uint16_t u16(std::int64_t at) { return little_ ? source_.u16le(at) : source_.u16be(at); }
    std::uint32_t u32(std::int64_t at) { return little_ ? source_.u32le(at) : source_.u32be(at); }

    TiffFacts run(std::uint32_t firstDirectory) {
        facts_.extent = 8;
        pending_.push_back(firstDirectory);
        int walked = 0;
        while (!pending_.empty() && walked < Limits::maxTiffDirectories) {
            std::uint32_t offset = pending_.front();
            pending_.pop_front();
            if (offset < 8 || !visited_.insert(offset).second) continue;
            ++walked;
            try {
                directory(offset);
            } catch (const EndOfData&) {
                // A directory past the available bytes: the file reaches at least that far.
                grow(offset, 2);
            }
        }
        if (facts_.date == std::nullopt) facts_.date = fallbackDate_;
        return facts_;
    }

private:
    void grow(std::int64_t relative, std::int64_t length) {
        facts_.extent = std::max(facts_.extent, relative + length);
    }

    void directory(std::uint32_t offset) {
        std::int64_t at = base_ + offset;
        int count = u16(at);
        if (count == 0 || count > Limits::maxTiffEntriesPerDirectory) return;
        grow(offset, 2 + 12 * count + 4);
        std::vector<Entry> entries;
        for (int i = 0; i < count; ++i) {
            std::int64_t e = at + 2 + 12 * i;
            Entry entry{u16(e), u16(e + 2), u32(e + 4), e + 8};
            std::int64_t bytes = typeSize(entry.type) * entry.count;
            if (bytes > 4) {
                std::uint32_t valueOffset = u32(e + 8);
                grow(valueOffset, bytes);
                entry.valuePosition = base_ + valueOffset;
            }
            entries.push_back(entry);
        }
        for (const auto& entry : entries) interpret(entry, entries);
        if (std::uint32_t next = u32(at + 2 + 12 * count)) pending_.push_back(next);
    }

    std::vector<std::uint32_t> values(const Entry& entry) {
        std::vector<std::uint32_t> out;
        if (entry.type != 3 && entry.type != 4 && entry.type != 13) return out;
        std::uint32_t count = std::min(entry.count, Limits::maxTiffExtentValues);
        for (std::uint32_t i = 0; i < count; ++i)
            out.push_back(entry.type == 3 ? u16(entry.valuePosition + 2 * i) : u32(entry.valuePosition + 4 * i));
        return out;
    }

    std::string text(const Entry& entry) {
        if (entry.type != 2 || entry.count > 256) return {};
        auto raw = source_.bytes(entry.valuePosition, entry.count);
        std::string out(raw.begin(), raw.end());
        out.erase(std::find(out.begin(), out.end(), '\0'), out.end());
        return out;
    }

    void extents(const Entry& offsets, const std::vector<Entry>& entries, std::uint16_t countsTag) {
        auto counts = std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return e.tag == countsTag; });
        if (counts == entries.end()) return;
        auto starts = values(offsets);
        auto lengths = values(*counts);
        for (std::size_t i = 0; i < std::min(starts.size(), lengths.size()); ++i) {
            if (lengths[i] == 0) continue;
            facts_.hasImageData = true;
            grow(starts[i], lengths[i]);
        }
    }

    void interpret(const Entry& entry, const std::vector<Entry>& entries) {
        try {
            switch (entry.tag) {
                case stripOffsets:
                    extents(entry, entries, stripByteCounts);
                    break;
                case tileOffsets:
                    extents(entry, entries, tileByteCounts);
                    break;
                case jpegOffset:
                    extents(entry, entries, jpegLength);
                    break;
                case subDirectories:
                case exifDirectory:
                case gpsDirectory:
                case interoperabilityDirectory:
                    for (auto offset : values(entry)) pending_.push_back(offset);
                    break;
                case make:
                    facts_.make = text(entry);
                    break;
                case dateTimeOriginal:
                    facts_.date = exifDateText(text(entry));
                    break;
                case dateTime:
                    fallbackDate_ = exifDateText(text(entry));
                    break;
                case dngVersion:
                    facts_.isDNG = true;
                    break;
                default:
                    break;
            }
        } catch (const EndOfData&) {
            // A value outside the available bytes says nothing more than its extent already did.
        }
    }

    ByteSource& source_;
    std::int64_t base_;
    bool little_;
    TiffFacts facts_;
    std::optional<std::string> fallbackDate_;
    std::deque<std::uint32_t> pending_;
    std::set<std::uint32_t> visited_;
};

}  // namespace

std::optional<TiffFacts> walkTiffStructure(ByteSource& source, std::int64_t base) {
    bool little;
    if (source.matches(base, "II*\0"))
        little = true;
    else if (source.matches(base, std::string_view("MM\0*", 4)))
        little = false;
    else
        return std::nullopt;
    TiffWalk walk(source, base, little);
    std::uint32_t first = little ? source.u32le(base + 4) : source.u32be(base + 4);
    auto facts = walk.run(first);
    facts.isCanonRaw = source.matches(base + 8, "CR\x02");
    return facts;
}

std::optional<std::string> exifDateText(const std::string& raw) {
    // "YYYY:MM:DD HH:MM:SS", the layout EXIF prescribes.
    if (raw.size() < 19) return std::nullopt;
    static constexpr std::string_view shape = "dddd:dd:dd dd:dd:dd";
    for (std::size_t i = 0; i < shape.size(); ++i) {
        bool digit = std::isdigit(static_cast<unsigned char>(raw[i])) != 0;
        if (shape[i] == 'd' ? !digit : raw[i] != shape[i]) return std::nullopt;
    }
    if (raw.compare(0, 4, "0000") == 0) return std::nullopt;
    std::string out = raw.substr(0, 19);
    for (std::size_t i : {4u, 7u}) out[i] = '-';
    for (std::size_t i : {13u, 16u}) out[i] = '-';
    return out;
}

}  // namespace tidewell::FileCarving
