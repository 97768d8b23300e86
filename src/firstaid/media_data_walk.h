#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "firstaid/media_container.h"
#include "firstaid/reference_track_layout.h"

// Finds the samples of each reference track in the media data of a recording that lost its
// movie box, walking each codec's own framing, and where the recording was cut.
namespace tidewell::FileFirstAidEngine {

struct RecoveredSample {
    std::uint64_t offset = 0;  // in the source file
    std::uint32_t size = 0;
    bool key = false;
    std::int64_t pictureOrder = 0;
    bool startsSequence = false;
};

struct MediaDataWalk {
    std::uint64_t payloadStart = 0;                    // first byte after the mdat header
    std::uint64_t dataEnd = 0;                         // end of the file
    std::uint64_t cutOffset = 0;                       // the first byte that fits no track (dataEnd when all fit)
    std::vector<std::vector<RecoveredSample>> tracks;  // one list per reference track, decoding order
    bool otherParameterSets = false;                   // the stream carries parameter sets unlike the reference's
};

// Where the media data of a file starts, trusting the bytes over the header: a size of 0, a
// 64-bit size, or a size beyond the end all run to the end of the file. None without an mdat
// header among the top-level boxes.
std::optional<std::uint64_t> mediaDataPayloadStart(const AtomByteReader& read, std::uint64_t end);
std::optional<std::uint64_t> mediaDataPayloadStart(const std::filesystem::path& url);

// Walks [payloadStart, end). Stops at the first byte where no track's next sample fits, keeping
// every whole sample before it. cancelled is polled now and then (may be empty); progress gets the
// fraction walked (may be empty). Throws RepairError when the reference's audio configuration
// cannot be decoded.
MediaDataWalk walkMediaData(const AtomByteReader& read, std::uint64_t payloadStart, std::uint64_t end,
                            const ReferenceLayout& reference, const std::function<bool()>& cancelled = {},
                            const std::function<void(double)>& progress = {});

// Whether the first bytes of the media data look like length-prefixed H.264 or HEVC access units,
// without any reference configuration.
bool looksLikeVideoSamples(std::span<const std::uint8_t> payload);

// Whether the first bytes of the media data look like raw AAC frames of a common configuration
// (AAC-LC, mono or stereo, at a common sampling rate): three in a row, or one or more followed by
// video samples, as a recording that writes its sound first opens.
bool looksLikeAudioFrames(std::span<const std::uint8_t> payload);

}  // namespace tidewell::FileFirstAidEngine
