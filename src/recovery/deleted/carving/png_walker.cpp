#include <array>

#include "recovery/deleted/carving/structure_walkers.h"

namespace tidewell::FileCarving::Walkers {

namespace {

const std::array<std::uint32_t, 256>& crcTable() {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t.at(n) = c;
        }
        return t;
    }();
    return table;
}

// The CRC of a chunk covers its type and data, read window by window.
std::uint32_t chunkCrc(ByteSource& source, std::int64_t from, std::int64_t length) {
    const auto& table = crcTable();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::int64_t at = from; at < from + length;) {
        auto piece = source.span(at);
        auto take = std::min<std::int64_t>(static_cast<std::int64_t>(piece.size()), from + length - at);
        for (std::int64_t i = 0; i < take; ++i)
            crc = table.at((crc ^ piece[static_cast<std::size_t>(i)]) & 0xFF) ^ (crc >> 8);
        at += take;
    }
    return crc ^ 0xFFFFFFFFu;
}

bool isChunkType(ByteSource& source, std::int64_t at) {
    for (int i = 0; i < 4; ++i) {
        std::uint8_t c = source.u8(at + i);
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    }
    return true;
}

}  // namespace

StructureWalk png(ByteSource& source, StructureWalk& walk) {
    walk = StructureWalk{WalkStatus::notThisFormat, 0, "PNG", "png", {}, {}};
    if (!source.matches(0, "\x89PNG\r\n\x1A\n")) return walk;
    if (!source.matches(12, "IHDR")) return walk;
    walk.status = WalkStatus::truncated;  // recognised: from here on, a short read means truncated
    // Chunks: length, type, data, CRC over type and data; IEND closes the file.
    for (std::int64_t at = 8;;) {
        walk.length = at;
        std::int64_t length = source.u32be(at);
        if (length > 0x7FFFFFFF || !isChunkType(source, at + 4)) return ended(walk, WalkStatus::truncated);
        if (chunkCrc(source, at + 4, 4 + length) != source.u32be(at + 8 + length))
            return ended(walk, WalkStatus::truncated);
        bool last = source.matches(at + 4, "IEND");
        at += 12 + length;
        if (last) {
            walk.length = at;
            return ended(walk, WalkStatus::complete);
        }
    }
}

}  // namespace tidewell::FileCarving::Walkers
