#include "recovery/deleted/carving/structure_walkers.h"

namespace tidewell::FileCarving::Walkers {

namespace {

// Data sub-blocks: a length byte, that many bytes, up to a zero length.
std::int64_t skipSubBlocks(ByteSource& source, std::int64_t at) {
    while (std::uint8_t size = source.u8(at)) at += 1 + size;
    return at + 1;
}

std::int64_t colorTableBytes(std::uint8_t flags) {
    return (flags & 0x80) ? 3 * (2 << (flags & 0x07)) : 0;
}

}  // namespace

StructureWalk gif(ByteSource& source, StructureWalk& walk) {
    walk = StructureWalk{WalkStatus::notThisFormat, 0, "GIF", "gif", {}, {}};
    if (!source.matches(0, "GIF87a") && !source.matches(0, "GIF89a")) return walk;
    walk.status = WalkStatus::truncated;  // recognised: from here on, a short read means truncated
    std::int64_t at = 13 + colorTableBytes(source.u8(10));
    bool sawImage = false;
    for (;;) {
        walk.length = at;
        switch (source.u8(at)) {
            case 0x2C:  // image descriptor, optional local colour table, LZW code size, data
                at += 10 + colorTableBytes(source.u8(at + 9));
                if (source.u8(at) > 12) return ended(walk, WalkStatus::truncated);
                at = skipSubBlocks(source, at + 1);
                sawImage = true;
                break;
            case 0x21:  // extension: label, then sub-blocks
                at = skipSubBlocks(source, at + 2);
                break;
            case 0x3B:  // trailer
                walk.length = at + 1;
                return ended(walk, sawImage ? WalkStatus::complete : WalkStatus::truncated);
            default:
                return ended(walk, WalkStatus::truncated);
        }
    }
}

}  // namespace tidewell::FileCarving::Walkers
