#include "recovery/deleted/carving/structure_walkers.h"

namespace tidewell::FileCarving::Walkers {

namespace {

bool isChunkId(const std::vector<std::uint8_t>& id) {
    for (auto c : id)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

}  // namespace

// The RIFF size closes the file; the chunks inside must tile it exactly.
StructureWalk riff(ByteSource& source, StructureWalk& walk) {
    walk = StructureWalk{WalkStatus::notThisFormat, 0, "WAV", "wav", {}, {}};
    if (!source.matches(0, "RIFF")) return walk;
    if (source.matches(8, "AVI "))
        walk.kind = "AVI", walk.extension = "avi";
    else if (!source.matches(8, "WAVE"))
        return walk;
    walk.status = WalkStatus::truncated;  // recognised: from here on, a short read means truncated
    std::int64_t end = 8 + static_cast<std::int64_t>(source.u32le(4));
    end += end % 2;
    for (std::int64_t at = 12; at < end;) {
        walk.length = at;
        if (!isChunkId(source.bytes(at, 4))) return ended(walk, WalkStatus::truncated);
        std::int64_t size = source.u32le(at + 4);
        at += 8 + size + size % 2;
        if (at > end) return ended(walk, WalkStatus::truncated);
    }
    if (!source.has(0, end)) {
        walk.length = source.available();
        return ended(walk, WalkStatus::truncated);
    }
    walk.length = end;
    return ended(walk, WalkStatus::complete);
}

}  // namespace tidewell::FileCarving::Walkers
