#include <cstring>

#include "recovery/deleted/carving/structure_walkers.h"
#include "recovery/deleted/carving/tiff_structure.h"

namespace tidewell::FileCarving::Walkers {

namespace {

bool isRestart(std::uint8_t marker) {
    return marker >= 0xD0 && marker <= 0xD7;
}

// The EXIF date of an APP1 segment, read from its own TIFF structure.
std::optional<std::string> exifDate(ByteSource& source, std::int64_t segment, std::int64_t length) {
    if (length < 16 || !source.matches(segment + 4, std::string_view("Exif\0\0", 6))) return std::nullopt;
    try {
        auto facts = walkTiffStructure(source, segment + 10);
        return facts ? facts->date : std::nullopt;
    } catch (const EndOfData&) {
        return std::nullopt;
    }
}

// Skips entropy-coded data from `at`; answers the position of the marker that
// ends it (its 0xFF byte). Stuffed zeros and restart markers belong to the data.
std::int64_t skipEntropyData(ByteSource& source, std::int64_t at) {
    for (;;) {
        auto piece = source.span(at);
        const void* hit = std::memchr(piece.data(), 0xFF, piece.size());
        if (hit == nullptr) {
            at += static_cast<std::int64_t>(piece.size());
            continue;
        }
        at += static_cast<const std::uint8_t*>(hit) - piece.data();
        std::uint8_t next = source.u8(at + 1);
        if (next == 0x00 || isRestart(next) || next == 0xFF) {
            at += next == 0xFF ? 1 : 2;
            continue;
        }
        return at;
    }
}

}  // namespace

StructureWalk jpeg(ByteSource& source, StructureWalk& walk) {
    walk = StructureWalk{WalkStatus::notThisFormat, 0, "JPEG", "jpg", {}, {}};
    if (!source.matches(0, "\xFF\xD8\xFF")) return walk;
    walk.status = WalkStatus::truncated;  // recognised: from here on, a short read means truncated
    std::int64_t at = 2;
    bool sawFrame = false;
    bool sawScan = false;
    for (;;) {
        walk.length = at;
        if (source.u8(at) != 0xFF) return ended(walk, sawScan ? WalkStatus::truncated : WalkStatus::notThisFormat);
        std::uint8_t marker = source.u8(at + 1);
        if (marker == 0xFF) {  // fill byte before a marker
            ++at;
            continue;
        }
        if (marker == 0xD9) {
            walk.length = at + 2;
            walk.status = sawFrame && sawScan ? WalkStatus::complete : WalkStatus::truncated;
            return walk;
        }
        if (marker == 0x00 || marker == 0x01 || isRestart(marker) || marker == 0xD8) {
            return ended(walk, sawScan ? WalkStatus::truncated : WalkStatus::notThisFormat);
        }
        std::int64_t length = source.u16be(at + 2);
        if (length < 2) return ended(walk, WalkStatus::truncated);
        if (marker == 0xE1 && !walk.date) walk.date = exifDate(source, at, length);
        bool isFrame = (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC);
        sawFrame = sawFrame || isFrame;
        at += 2 + length;
        if (marker == 0xDA) {
            if (!sawFrame) return ended(walk, WalkStatus::truncated);
            sawScan = true;
            at = skipEntropyData(source, at);
        }
    }
}

}  // namespace tidewell::FileCarving::Walkers
