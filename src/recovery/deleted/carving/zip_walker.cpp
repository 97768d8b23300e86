#include <string>
#include <tuple>

#include "recovery/deleted/carving/structure_walkers.h"

namespace tidewell::FileCarving::Walkers {

namespace Limits {
inline constexpr int maxZipRecords = 1'000'000;
}

namespace {

constexpr std::uint32_t localHeader = 0x04034b50;
constexpr std::uint32_t centralHeader = 0x02014b50;
constexpr std::uint32_t zip64End = 0x06064b50;
constexpr std::uint32_t zip64Locator = 0x07064b50;
constexpr std::uint32_t endOfCentralDirectory = 0x06054b50;

// Office documents are ZIP archives named by their parts.
struct OfficeParts {
    bool contentTypes = false;
    bool word = false;
    bool sheet = false;
    bool slides = false;

    void note(const std::string& name) {
        contentTypes = contentTypes || name == "[Content_Types].xml";
        word = word || name.rfind("word/", 0) == 0;
        sheet = sheet || name.rfind("xl/", 0) == 0;
        slides = slides || name.rfind("ppt/", 0) == 0;
    }
    std::pair<std::string, std::string> kind() const {
        if (contentTypes && word) return {"DOCX", "docx"};
        if (contentTypes && sheet) return {"XLSX", "xlsx"};
        if (contentTypes && slides) return {"PPTX", "pptx"};
        return {"ZIP", "zip"};
    }
};

// A local entry whose sizes follow its data (flag bit 3): its end is the data
// descriptor whose compressed size equals the distance walked to it.
std::optional<std::int64_t> afterDataDescriptor(ByteSource& source, std::int64_t data) {
    for (std::int64_t from = data;;) {
        auto hit = source.find("PK\x07\x08", from, source.available());
        if (!hit) return std::nullopt;
        if (source.u32le(*hit + 8) == static_cast<std::uint32_t>(*hit - data)) return *hit + 16;
        from = *hit + 1;
    }
}

}  // namespace

// Local entries, then the central directory, then its end record (with its
// comment): the end record closes the archive.
StructureWalk zip(ByteSource& source, StructureWalk& walk) {
    walk = StructureWalk{WalkStatus::notThisFormat, 0, "ZIP", "zip", {}, {}};
    if (source.u32le(0) != localHeader) return walk;
    walk.status = WalkStatus::truncated;  // recognised: from here on, a short read means truncated
    OfficeParts parts;
    std::int64_t at = 0;
    for (int records = 0; records < Limits::maxZipRecords; ++records) {
        walk.length = at;
        switch (source.u32le(at)) {
            case localHeader: {
                std::uint16_t flags = source.u16le(at + 6);
                std::int64_t compressed = source.u32le(at + 18);
                std::int64_t nameLength = source.u16le(at + 26);
                std::int64_t extraLength = source.u16le(at + 28);
                auto name = source.bytes(at + 30, static_cast<std::size_t>(nameLength));
                parts.note(std::string(name.begin(), name.end()));
                std::int64_t data = at + 30 + nameLength + extraLength;
                if (flags & 0x08) {
                    auto next = afterDataDescriptor(source, data);
                    if (!next) return ended(walk, WalkStatus::truncated);
                    at = *next;
                } else {
                    at = data + compressed;
                }
                break;
            }
            case centralHeader:
                at += 46 + source.u16le(at + 28) + source.u16le(at + 30) + source.u16le(at + 32);
                break;
            case zip64End:
                at += 12 + static_cast<std::int64_t>(source.u32le(at + 4));
                break;
            case zip64Locator:
                at += 20;
                break;
            case endOfCentralDirectory: {
                std::tie(walk.kind, walk.extension) = parts.kind();
                std::int64_t end = at + 22 + source.u16le(at + 20);
                if (!source.has(0, end)) {
                    walk.length = source.available();
                    return ended(walk, WalkStatus::truncated);
                }
                walk.length = end;
                return ended(walk, WalkStatus::complete);
            }
            default:
                std::tie(walk.kind, walk.extension) = parts.kind();
                return ended(walk, WalkStatus::truncated);
        }
    }
    return ended(walk, WalkStatus::truncated);
}

}  // namespace tidewell::FileCarving::Walkers
