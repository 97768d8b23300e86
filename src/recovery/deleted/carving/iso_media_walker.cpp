#include <algorithm>
#include <array>
#include <string_view>
#include <tuple>

#include "recovery/deleted/carving/structure_walkers.h"

namespace tidewell::FileCarving::Walkers {

namespace {

// Top-level boxes a carved file may hold; anything else after a box means the
// file ended there (unknown boxes inside a file are skipped by their parents,
// but at the top level they are indistinguishable from the next cluster's junk).
constexpr std::array<std::string_view, 18> topLevelBoxes{"ftyp", "moov", "mdat", "free", "skip", "wide",
                                                         "meta", "uuid", "pdin", "moof", "mfra", "styp",
                                                         "sidx", "ssix", "prft", "emsg", "pnot", "junk"};

std::pair<std::string, std::string> brandKind(const std::string& brand) {
    if (brand == "qt  ") return {"MOV", "mov"};
    if (brand == "M4A " || brand == "M4B ") return {"M4A", "m4a"};
    for (std::string_view heif : {"heic", "heix", "heim", "heis", "hevc", "mif1", "msf1"})
        if (brand == heif) return {"HEIC", "heic"};
    return {"MP4", "mp4"};
}

}  // namespace

StructureWalk isoMedia(ByteSource& source, StructureWalk& walk) {
    walk = StructureWalk{WalkStatus::notThisFormat, 0, "MP4", "mp4", {}, {}};
    if (!source.matches(4, "ftyp") || source.u32be(0) < 16) return walk;
    walk.status = WalkStatus::truncated;  // recognised: from here on, a short read means truncated
    auto brand = source.bytes(8, 4);
    std::tie(walk.kind, walk.extension) = brandKind(std::string(brand.begin(), brand.end()));
    bool sawMovie = false;
    bool sawData = false;
    for (std::int64_t at = 0;;) {
        walk.length = at;
        if (!source.has(at, 8)) break;
        auto typeBytes = source.bytes(at + 4, 4);
        std::string_view type(reinterpret_cast<const char*>(typeBytes.data()), 4);
        if (std::find(topLevelBoxes.begin(), topLevelBoxes.end(), type) == topLevelBoxes.end()) break;
        std::int64_t size = source.u32be(at);
        if (size == 1) {
            auto large = source.u64be(at + 8);
            if (large > static_cast<std::uint64_t>(INT64_MAX)) return ended(walk, WalkStatus::truncated);
            size = static_cast<std::int64_t>(large);
            if (size < 16) return ended(walk, WalkStatus::truncated);
        } else if (size == 0 || size < 8) {
            // A box "to the end of the file" has no end a carver can see.
            return ended(walk, WalkStatus::truncated);
        }
        if (!source.has(at, size)) {
            walk.length = source.available();
            return ended(walk, WalkStatus::truncated);
        }
        sawMovie = sawMovie || type == "moov" || type == "meta";
        sawData = sawData || type == "mdat";
        at += size;
    }
    return ended(walk, sawMovie && sawData ? WalkStatus::complete : WalkStatus::truncated);
}

}  // namespace tidewell::FileCarving::Walkers
