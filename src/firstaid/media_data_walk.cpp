#include "firstaid/media_data_walk.h"
#include "firstaid/big_endian.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <memory>
#include <numeric>

#include "firstaid/file_first_aid_engine.h"
#include "firstaid/nal_sample_walk.h"
#include "firstaid/repair_error.h"
#include "platform/aac_frame_probe.h"

namespace tidewell::FileFirstAidEngine {

namespace {

constexpr std::size_t windowBytes = 32 * 1024 * 1024;
constexpr std::size_t firstVideoRequest = 1024 * 1024;

// A window of the source that moves forward as the walk needs bytes.
class ByteWindow {
public:
    ByteWindow(const AtomByteReader& read, std::uint64_t end) : read_(read), end_(end) {}
    std::uint64_t end() const { return end_; }
    // Up to wanted bytes from offset (fewer only at the end of the data).
    std::span<const std::uint8_t> at(std::uint64_t offset, std::size_t wanted) {
        const std::size_t available = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, end_ - offset));
        if (offset < start_ || offset + available > start_ + bytes_.size()) {
            const auto size =
                static_cast<std::size_t>(std::min<std::uint64_t>(std::max(windowBytes, available), end_ - offset));
            bytes_.resize(size);
            bytes_.resize(read_(offset, bytes_));
            start_ = offset;
        }
        const std::size_t from = static_cast<std::size_t>(offset - start_);
        return std::span<const std::uint8_t>(bytes_).subspan(from, std::min(available, bytes_.size() - from));
    }

private:
    const AtomByteReader& read_;
    std::uint64_t end_;
    std::uint64_t start_ = 0;
    std::vector<std::uint8_t> bytes_;
};

// One reference track's framing over the media data.
class TrackFraming {
public:
    TrackFraming(const ReferenceTrack& track) : track_(track) {
        if (track.codec == TrackCodec::h264 || track.codec == TrackCodec::hevc) {
            nal_ = std::make_unique<NalSampleWalker>(
                track.codec == TrackCodec::h264 ? VideoCodec::h264 : VideoCodec::hevc, track.decoderConfiguration);
        } else if (track.codec == TrackCodec::aac) {
            try {
                aac_ = std::make_unique<platform::AacFrameProbe>(track.decoderConfiguration);
            } catch (const std::runtime_error&) {
                throw RepairError::unsupported("The reference clip's audio settings cannot be decoded here.");
            }
        }
    }
    bool isVideo() const { return nal_ != nullptr; }
    bool sawOtherParameterSets() const { return nal_ && nal_->sawOtherParameterSets(); }

    // Whether bytes may start a sample of this track (a cheap test that lets false ones through).
    bool mayStartSample(std::span<const std::uint8_t> bytes) const { return nal_ && nal_->mayStartAccessUnit(bytes); }

    // The samples of this track that start at offset; empty when none fits. startsOther says
    // whether bytes may start another track's sample.
    std::vector<RecoveredSample> samplesAt(ByteWindow& window, std::uint64_t offset,
                                           const std::function<bool(std::span<const std::uint8_t>)>& startsOther) {
        if (nal_) return videoSampleAt(window, offset);
        if (aac_) {
            const auto bytes = window.at(offset, 2 * platform::AacFrameProbe::maximumFrameBytes);
            const auto length =
                aac_->frameLength(bytes, [&](std::size_t end) { return startsOther(bytes.subspan(end)); });
            if (!length) return {};
            return {RecoveredSample{.offset = offset, .size = static_cast<std::uint32_t>(*length), .key = true}};
        }
        return {};
    }
    // PCM has no framing: a chunk of one of the reference's sizes, one sample per frame of every
    // channel, that followed(end) accepts.
    std::vector<RecoveredSample> pcmChunkAt(ByteWindow& window, std::uint64_t offset,
                                            const std::function<bool(std::uint64_t)>& followed) const {
        const std::uint64_t frame = track_.pcmBytesPerFrame;
        for (const std::uint32_t count : track_.chunkCounts) {
            const std::uint64_t chunk = frame * count;
            if (chunk == 0 || window.end() - offset < chunk || !followed(offset + chunk)) continue;
            return pcmFrames(offset, count);
        }
        return {};
    }
    // The whole frames from offset to the end of the data, when fewer than the largest chunk: the
    // chunk the recording stopped in.
    std::vector<RecoveredSample> pcmTailAt(const ByteWindow& window, std::uint64_t offset) const {
        const std::uint64_t frame = track_.pcmBytesPerFrame;
        const std::uint32_t largest = *std::max_element(track_.chunkCounts.begin(), track_.chunkCounts.end());
        const std::uint64_t left = window.end() - offset;
        if (frame == 0 || left >= frame * largest) return {};
        return pcmFrames(offset, left / frame);
    }
    // What of a sample of this video track starts at offset, without taking it.
    AccessUnitFit videoFitAt(ByteWindow& window, std::uint64_t offset) {
        AccessUnit unit;
        return nal_ ? findAccessUnit(window, offset, unit) : AccessUnitFit::none;
    }
    const ReferenceTrack& track() const { return track_; }

private:
    AccessUnitFit findAccessUnit(ByteWindow& window, std::uint64_t offset, AccessUnit& unit) {
        std::size_t wanted = firstVideoRequest;
        for (;;) {
            const auto bytes = window.at(offset, wanted);
            const bool reachesEnd = offset + bytes.size() == window.end();
            const auto fit = nal_->accessUnitAt(bytes, reachesEnd, unit);
            if (fit != AccessUnitFit::needMore || wanted >= NalLimits::maximumAccessUnitBytes + 16) return fit;
            wanted *= 4;
        }
    }

    std::vector<RecoveredSample> videoSampleAt(ByteWindow& window, std::uint64_t offset) {
        AccessUnit unit;
        if (findAccessUnit(window, offset, unit) != AccessUnitFit::found) return {};
        nal_->accept(unit);
        return {RecoveredSample{.offset = offset,
                                .size = static_cast<std::uint32_t>(unit.length),
                                .key = unit.key,
                                .pictureOrder = unit.pictureOrder,
                                .startsSequence = unit.startsSequence}};
    }

    std::vector<RecoveredSample> pcmFrames(std::uint64_t offset, std::uint64_t count) const {
        const std::uint32_t frame = track_.pcmBytesPerFrame;
        std::vector<RecoveredSample> samples;
        for (std::uint64_t i = 0; i < count; ++i)
            samples.push_back({.offset = offset + i * frame, .size = frame, .key = true});
        return samples;
    }

    const ReferenceTrack& track_;
    std::unique_ptr<NalSampleWalker> nal_;
    std::unique_ptr<platform::AacFrameProbe> aac_;
};

// The tracks to try at the next byte: the device writes in decoding-time order, so the track
// whose next sample is due first comes first, ties to video.
std::vector<std::size_t> tryingOrder(const std::vector<TrackFraming>& framings, const MediaDataWalk& walk) {
    std::vector<std::size_t> order(framings.size());
    std::iota(order.begin(), order.end(), 0);
    auto due = [&](std::size_t index) {
        const auto& track = framings[index].track();
        return static_cast<double>(walk.tracks[index].size()) * track.sampleDuration / track.timescale;
    };
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (due(a) != due(b)) return due(a) < due(b);
        return framings[a].isVideo() && !framings[b].isVideo();
    });
    return order;
}

}  // namespace

std::optional<std::uint64_t> mediaDataPayloadStart(const AtomByteReader& read, std::uint64_t end) {
    std::uint64_t offset = 0;
    for (std::size_t count = 0; offset < end && count < MediaLimits::maximumTopLevelAtoms; ++count) {
        std::array<std::uint8_t, 16> header{};
        const std::size_t got = std::min(read(offset, header), header.size());
        if (got < 8) return std::nullopt;
        const auto atom = atomHeader(std::span<const std::uint8_t>(header.data(), got), end - offset);
        if (!atom) return std::nullopt;
        // The media data's own size is not trusted: a cut recording's header may promise any size.
        if (atom->type == "mdat")
            return offset + atom->length <= end ? std::optional(offset + atom->length) : std::nullopt;
        if (atom->size < atom->length || atom->size > end - offset) return std::nullopt;
        offset += atom->size;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> mediaDataPayloadStart(const std::filesystem::path& url) {
    std::ifstream file(url, std::ios::binary);
    if (!file) return std::nullopt;
    return mediaDataPayloadStart(atomFileReader(file), static_cast<std::uint64_t>(logicalFileByteSize(url)));
}

MediaDataWalk walkMediaData(const AtomByteReader& read, std::uint64_t payloadStart, std::uint64_t end,
                            const ReferenceLayout& reference, const std::function<bool()>& cancelled,
                            const std::function<void(double)>& progress) {
    MediaDataWalk walk{.payloadStart = payloadStart, .dataEnd = end, .cutOffset = payloadStart};
    std::vector<TrackFraming> framings;
    framings.reserve(reference.tracks.size());
    for (const auto& track : reference.tracks) framings.emplace_back(track);
    walk.tracks.resize(framings.size());
    ByteWindow window(read, end);
    std::uint64_t position = payloadStart;
    std::size_t steps = 0;
    const auto startsVideo = [&](std::span<const std::uint8_t> bytes) {
        return std::any_of(framings.begin(), framings.end(),
                           [&](const TrackFraming& framing) { return framing.mayStartSample(bytes); });
    };
    while (position < end) {
        if (++steps % 256 == 0) {
            if (cancelled && cancelled()) break;
            if (progress)
                progress(static_cast<double>(position - payloadStart) / static_cast<double>(end - payloadStart));
        }
        std::vector<RecoveredSample> samples;
        std::size_t owner = 0;
        for (std::size_t index : tryingOrder(framings, walk)) {
            samples = framings[index].samplesAt(window, position, startsVideo);
            if (!samples.empty()) {
                owner = index;
                break;
            }
        }
        if (samples.empty()) {
            // PCM fits any bytes, so a PCM chunk counts only when a whole framed sample, or the end,
            // follows it; failing that, at the cut, a framed sample that the cut ends; failing that,
            // the frames of a last chunk that the cut ends.
            for (int pass = 0; pass < 3 && samples.empty(); ++pass) {
                auto followed = [&](std::uint64_t after) {
                    return after == end || std::any_of(framings.begin(), framings.end(), [&](TrackFraming& framing) {
                               const auto fit = framing.videoFitAt(window, after);
                               return fit == AccessUnitFit::found || (pass == 1 && fit == AccessUnitFit::cut);
                           });
                };
                for (std::size_t index = 0; index < framings.size() && samples.empty(); ++index) {
                    if (framings[index].track().codec != TrackCodec::pcm) continue;
                    samples = pass < 2 ? framings[index].pcmChunkAt(window, position, followed)
                                       : framings[index].pcmTailAt(window, position);
                    owner = index;
                }
            }
        }
        if (samples.empty()) break;
        for (const auto& sample : samples) {
            walk.tracks[owner].push_back(sample);
            position = sample.offset + sample.size;
        }
    }
    walk.cutOffset = position;
    walk.otherParameterSets = std::any_of(framings.begin(), framings.end(),
                                          [](const TrackFraming& framing) { return framing.sawOtherParameterSets(); });
    return walk;
}

bool looksLikeVideoSamples(std::span<const std::uint8_t> payload) {
    // Three NAL units in a row whose 4-byte lengths chain exactly and whose headers are well formed
    // for H.264 or for HEVC.
    auto chains = [&](auto&& plausible) {
        std::size_t at = 0;
        for (int count = 0; count < 3; ++count) {
            if (payload.size() - at < 6) return false;
            const std::uint64_t length = bigEndian(payload.subspan(at, 4));
            if (length < 2 || !plausible(payload.subspan(at + 4, 2))) return false;
            if (length > payload.size() - at - 4) return count > 0;
            at += 4 + length;
        }
        return true;
    };
    auto avc = [](std::span<const std::uint8_t> head) {
        const int type = head[0] & 0x1F;
        return (head[0] & 0x80) == 0 && type >= 1 && type <= 12;
    };
    auto hevc = [](std::span<const std::uint8_t> head) {
        const int type = (head[0] >> 1) & 0x3F;
        return (head[0] & 0x81) == 0 && (head[1] >> 3) == 0 && (head[1] & 7) != 0 &&
               (type <= 9 || (type >= 16 && type <= 21) || (type >= 32 && type <= 40));
    };
    return chains(avc) || chains(hevc);
}

bool looksLikeAudioFrames(std::span<const std::uint8_t> payload) {
    constexpr int framesInARow = 3;
    // Sampling frequency indexes of 48, 44.1, 32, 24 and 16 kHz; AAC-LC is object type 2.
    for (const unsigned frequency : {3U, 4U, 5U, 6U, 8U}) {
        for (const unsigned channels : {2U, 1U}) {
            const std::array<std::uint8_t, 2> configuration{
                static_cast<std::uint8_t>((2U << 3) | (frequency >> 1)),
                static_cast<std::uint8_t>(((frequency & 1U) << 7) | (channels << 3))};
            std::optional<platform::AacFrameProbe> probe;
            try {
                probe.emplace(configuration);
            } catch (const std::runtime_error&) {
                return false;  // no AAC decoder here
            }
            std::size_t at = 0;
            for (int count = 0; count < framesInARow; ++count) {
                if (count > 0 && looksLikeVideoSamples(payload.subspan(at))) return true;
                const auto length = probe->frameLength(payload.subspan(at));
                if (!length) break;
                at += *length;
                if (count + 1 == framesInARow) return true;
            }
        }
    }
    return false;
}

}  // namespace tidewell::FileFirstAidEngine
