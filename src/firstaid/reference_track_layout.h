#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What a healthy clip from the same device tells about its tracks: everything a movie box
// needs except where the samples are.
namespace tidewell::FileFirstAidEngine {

enum class TrackCodec { h264, hevc, aac, pcm };

namespace ReferenceLimits {
inline constexpr std::size_t chunkCountsKept = 8;  // chunk sizes a PCM chunk is tried at
}

struct ReferenceTrack {
    TrackCodec codec = TrackCodec::h264;
    std::string handler;                             // "vide" or "soun"
    std::uint32_t timescale = 0;                     // of the media (mdhd)
    std::uint32_t sampleDuration = 0;                // the most common stts delta, in the media timescale
    std::int64_t editMediaTime = 0;                  // of the first edit (audio priming), 0 without one
    std::vector<std::uint8_t> trackHeader;           // tkhd box, whole
    std::vector<std::uint8_t> mediaHeader;           // mdhd box, whole
    std::vector<std::uint8_t> handlerBox;            // hdlr box, whole
    std::vector<std::uint8_t> mediaInfoHeader;       // vmhd or smhd box, whole (may be empty)
    std::vector<std::uint8_t> dataInformation;       // dinf box, whole (may be empty)
    std::vector<std::uint8_t> sampleDescription;     // stsd box, whole, copied unchanged
    std::vector<std::uint8_t> decoderConfiguration;  // avcC/hvcC payload, or the AudioSpecificConfig
    std::uint32_t pcmBytesPerFrame = 0;              // PCM: bytes of one sample of every channel
    std::vector<std::uint32_t> chunkCounts{1};       // the stsc samples-per-chunk counts, most common first
};

struct ReferenceLayout {
    std::vector<std::uint8_t> fileType;     // ftyp box, whole
    std::vector<std::uint8_t> movieHeader;  // mvhd box, whole
    std::uint32_t movieTimescale = 0;
    std::vector<ReferenceTrack> tracks;  // video and sound tracks of known codecs, in file order
};

// Reads the reference's movie box. Throws RepairError (cannotRead) when the clip has no readable
// movie box or no track of a codec the rebuild knows.
ReferenceLayout readReferenceLayout(const std::filesystem::path& reference);
// The same from the ftyp and moov boxes' bytes (each whole, header included).
std::optional<ReferenceLayout> parseReferenceLayout(std::span<const std::uint8_t> fileType,
                                                    std::span<const std::uint8_t> movie);

}  // namespace tidewell::FileFirstAidEngine
