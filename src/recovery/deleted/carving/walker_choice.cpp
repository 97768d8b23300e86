#include "recovery/deleted/carving/structure_walkers.h"

#include <algorithm>

namespace tidewell::FileCarving {

namespace {

bool startsWith(std::span<const std::uint8_t> bytes, std::size_t at, std::string_view expected) {
    if (bytes.size() < at + expected.size()) return false;
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (bytes[at + i] != static_cast<std::uint8_t>(expected[i])) return false;
    return true;
}

}  // namespace

Walker walkerFor(std::span<const std::uint8_t> b) {
    // JPEG before MPEG audio: both begin with a frame-sync-like 0xFF byte.
    if (startsWith(b, 0, "\xFF\xD8\xFF")) return Walkers::jpeg;
    if (startsWith(b, 0, "\x89PNG\r\n\x1A\n")) return Walkers::png;
    if (startsWith(b, 0, "GIF87a") || startsWith(b, 0, "GIF89a")) return Walkers::gif;
    if (startsWith(b, 0, "II*\0") || startsWith(b, 0, std::string_view("MM\0*", 4))) return Walkers::tiff;
    if (startsWith(b, 4, "ftyp")) return Walkers::isoMedia;
    if (startsWith(b, 0, "%PDF-")) return Walkers::pdf;
    if (startsWith(b, 0, "PK\x03\x04")) return Walkers::zip;
    if (startsWith(b, 0, "RIFF")) return Walkers::riff;
    if (startsWith(b, 0, "ID3") || (b.size() >= 2 && b[0] == 0xFF && (b[1] & 0xE0) == 0xE0)) return Walkers::mp3;
    return nullptr;
}

StructureWalk walkFile(ByteSource& source) {
    std::vector<std::uint8_t> leading;
    try {
        leading = source.bytes(0, static_cast<std::size_t>(std::min<std::int64_t>(16, source.available())));
    } catch (const EndOfData&) {
        return {};
    }
    Walker walker = walkerFor(leading);
    if (walker == nullptr) return {};
    StructureWalk walk;
    try {
        walk = walker(source, walk);
        // A walk never claims bytes it could not read (a tag or box that
        // points past the end ends the walk there).
        walk.length = std::clamp<std::int64_t>(walk.length, 0, source.available());
        return walk;
    } catch (const EndOfData&) {
        // Once the format is recognised, running out of bytes means the file
        // is cut short where its range ends.
        if (walk.status == WalkStatus::notThisFormat) return {};
        walk.status = WalkStatus::truncated;
        walk.length = source.available();
        return walk;
    }
}

}  // namespace tidewell::FileCarving
