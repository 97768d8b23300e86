#include <tuple>
#include "recovery/deleted/carving/structure_walkers.h"
#include "recovery/deleted/carving/tiff_structure.h"

namespace tidewell::FileCarving::Walkers {

namespace {

bool startsWith(const std::optional<std::string>& text, std::string_view prefix) {
    return text && text->compare(0, prefix.size(), prefix) == 0;
}

// Raw photos are TIFF structures; the maker tells which.
std::pair<std::string, std::string> tiffKind(const TiffFacts& facts) {
    if (facts.isCanonRaw) return {"CR2", "cr2"};
    if (facts.isDNG) return {"DNG", "dng"};
    if (startsWith(facts.make, "NIKON")) return {"NEF", "nef"};
    if (startsWith(facts.make, "SONY")) return {"ARW", "arw"};
    return {"TIFF", "tiff"};
}

}  // namespace

// The file ends where the furthest of its directories, values, strips and
// tiles ends: a TIFF has no end marker of its own.
StructureWalk tiff(ByteSource& source, StructureWalk& walk) {
    walk = StructureWalk{WalkStatus::notThisFormat, 0, "TIFF", "tiff", {}, {}};
    auto facts = walkTiffStructure(source, 0);
    if (!facts) return walk;
    std::tie(walk.kind, walk.extension) = tiffKind(*facts);
    walk.date = facts->date;
    // Directories or image data past the available bytes: a TIFF cut short
    // (writers often put the directory last).
    if (facts->extent > source.available()) {
        walk.length = source.available();
        return ended(walk, WalkStatus::truncated);
    }
    if (!facts->hasImageData) return walk;
    walk.length = facts->extent;
    return ended(walk, WalkStatus::complete);
}

}  // namespace tidewell::FileCarving::Walkers
