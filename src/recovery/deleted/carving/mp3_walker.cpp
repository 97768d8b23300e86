#include <array>

#include "recovery/deleted/carving/structure_walkers.h"
#include "recovery/deleted/carving/tag_text.h"

namespace tidewell::FileCarving::Walkers {

namespace Limits {
// Without an ID3 tag, a run of frame headers this long is what tells MPEG audio from noise.
inline constexpr int minFramesWithoutTag = 8;
inline constexpr std::int64_t maxTagBytes = 64 * 1024 * 1024;
}  // namespace Limits

namespace {

// The length of the MPEG audio frame whose header is at `at`; none when the
// four bytes are not a valid header.
std::optional<std::int64_t> frameLength(ByteSource& source, std::int64_t at) {
    if (!source.has(at, 4)) return std::nullopt;
    std::uint32_t header = source.u32be(at);
    if ((header & 0xFFE00000u) != 0xFFE00000u) return std::nullopt;
    int version = (header >> 19) & 3;  // 0: MPEG 2.5, 2: MPEG 2, 3: MPEG 1
    int layer = (header >> 17) & 3;    // 1: III, 2: II, 3: I
    int bitrateIndex = (header >> 12) & 15;
    int rateIndex = (header >> 10) & 3;
    int padding = (header >> 9) & 1;
    if (version == 1 || layer == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return std::nullopt;
    static constexpr std::array<std::array<int, 15>, 5> kbps{{
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG 1 layer I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG 1 layer II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG 1 layer III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG 2/2.5 layer I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG 2/2.5 layer II and III
    }};
    static constexpr std::array<int, 3> baseRates{44100, 48000, 32000};
    bool mpeg1 = version == 3;
    int row = mpeg1 ? 3 - layer : (layer == 3 ? 3 : 4);
    std::int64_t bitrate = kbps.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(bitrateIndex)) * 1000;
    std::int64_t rate = baseRates.at(static_cast<std::size_t>(rateIndex)) >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    if (layer == 3) return (12 * bitrate / rate + padding) * 4;
    if (layer == 1 && !mpeg1) return 72 * bitrate / rate + padding;
    return 144 * bitrate / rate + padding;
}

std::int64_t syncsafe(ByteSource& source, std::int64_t at) {
    std::int64_t value = 0;
    for (int i = 0; i < 4; ++i) value = value << 7 | (source.u8(at + i) & 0x7F);
    return value;
}

// The title frame of an ID3v2 tag (TIT2, or TT2 in version 2.2).
std::optional<std::string> id3Title(ByteSource& source, std::int64_t tagEnd, int major) {
    bool shortFrames = major == 2;
    std::int64_t headerBytes = shortFrames ? 6 : 10;
    for (std::int64_t at = 10; at + headerBytes <= tagEnd;) {
        auto id = source.bytes(at, shortFrames ? 3 : 4);
        if (id.at(0) == 0) break;
        std::int64_t size = shortFrames  ? (source.u32be(at + 2) >> 8)
                            : major == 4 ? syncsafe(source, at + 4)
                                         : source.u32be(at + 4);
        if (size <= 0 || at + headerBytes + size > tagEnd) break;
        std::string name(id.begin(), id.end());
        if ((name == "TIT2" || name == "TT2") && size <= 4096)
            return id3Text(source.bytes(at + headerBytes, static_cast<std::size_t>(size)));
        at += headerBytes + size;
    }
    return std::nullopt;
}

}  // namespace

StructureWalk mp3(ByteSource& source, StructureWalk& walk) {
    walk = StructureWalk{WalkStatus::notThisFormat, 0, "MP3", "mp3", {}, {}};
    std::int64_t at = 0;
    bool tagged = source.matches(0, "ID3");
    if (tagged) {
        int major = source.u8(3);
        if (major < 2 || major > 4 || (source.u8(6) | source.u8(7) | source.u8(8) | source.u8(9)) & 0x80) return walk;
        std::int64_t tagEnd = 10 + syncsafe(source, 6);
        if (tagEnd > Limits::maxTagBytes) return walk;
        walk.status = WalkStatus::truncated;  // recognised: from here on, a short read means truncated
        if (!(source.u8(5) & 0x40)) walk.title = id3Title(source, tagEnd, major);
        at = tagEnd + ((source.u8(5) & 0x10) ? 10 : 0);
    }
    int frames = 0;
    while (auto length = frameLength(source, at)) {
        if (!source.has(at, *length)) {
            walk.length = source.available();
            return ended(walk, WalkStatus::truncated);
        }
        at += *length;
        ++frames;
    }
    if (frames == 0 || (!tagged && frames < Limits::minFramesWithoutTag)) {
        if (!tagged) return walk;
        walk.length = at;
        return ended(walk, WalkStatus::truncated);
    }
    if (source.matches(at, "TAG") && source.has(at, 128)) at += 128;  // ID3v1 at the very end
    walk.length = at;
    return ended(walk, WalkStatus::complete);
}

}  // namespace tidewell::FileCarving::Walkers
