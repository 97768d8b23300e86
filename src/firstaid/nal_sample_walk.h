#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <vector>

// Finds the access units of a length-prefixed H.264 or HEVC stream (the framing of MP4 and MOV
// samples) and their key-frame flag and picture order, from the NAL headers and slice headers.
namespace tidewell::FileFirstAidEngine {

enum class VideoCodec { h264, hevc };

struct AccessUnit {
    std::size_t length = 0;         // bytes, length prefixes included
    bool key = false;               // an IDR picture (H.264) or an IRAP picture (HEVC)
    std::int64_t pictureOrder = 0;  // picture order count within its coded video sequence
    bool startsSequence = false;    // picture order restarts here (IDR, BLA, the first picture)
};

// What accessUnitAt found at the start of the bytes.
enum class AccessUnitFit {
    found,     // a whole access unit
    needMore,  // a NAL unit runs past the given bytes, which do not reach the end of the data
    cut,       // a NAL unit runs past the end of the data: the recording stops inside it
    none,      // the bytes do not start an access unit of this stream
};

namespace NalLimits {
inline constexpr std::size_t maximumAccessUnitBytes = 64 * 1024 * 1024;
inline constexpr std::size_t maximumNalUnitsPerAccessUnit = 600;
inline constexpr std::size_t headerBytesParsed = 96;
inline constexpr std::size_t parameterSetBytesParsed = 4096;
}  // namespace NalLimits

class NalSampleWalker {
public:
    // decoderConfiguration: the avcC or hvcC payload; its parameter sets and NAL length size are used.
    // Throws nothing; an unreadable configuration leaves no parameter sets, so no slice parses.
    NalSampleWalker(VideoCodec codec, std::span<const std::uint8_t> decoderConfiguration);

    bool hasParameterSets() const { return !sequenceSets_.empty() && !pictureSets_.empty(); }
    int lengthSize() const { return lengthSize_; }

    // The access unit at the start of bytes; reachesEnd says whether bytes run to the end of the data.
    // Parameter sets carried in the stream are learnt as it goes, and the picture order state
    // advances only through accept().
    AccessUnitFit accessUnitAt(std::span<const std::uint8_t> bytes, bool reachesEnd, AccessUnit& unit);
    // Whether bytes may open an access unit: a length prefix and a plausible NAL unit header. A
    // cheap first test, for where another track's sample may end.
    bool mayStartAccessUnit(std::span<const std::uint8_t> bytes) const;
    // Advances the picture order state past a unit that accessUnitAt found and the caller kept.
    void accept(const AccessUnit& unit);

    // A parameter set of the stream whose bytes differ from the configuration's set of the same id.
    bool sawOtherParameterSets() const { return sawOtherParameterSets_; }

    struct SequenceSet {
        int log2MaxFrameNumber = 4;
        int pictureOrderType = 0;
        int log2MaxPictureOrderLsb = 4;
        bool frameMbsOnly = true;
        bool separateColourPlanes = false;
    };
    struct PictureSet {
        std::uint32_t sequenceSetId = 0;
        bool bottomFieldOrderPresent = false;  // H.264
        bool dependentSliceSegments = false;   // HEVC
        bool outputFlagPresent = false;        // HEVC
        int extraSliceHeaderBits = 0;          // HEVC
    };
    // The first slice's fields that decide the picture order.
    struct SliceFacts {
        bool firstSliceOfPicture = false;
        bool reference = true;
        bool idr = false;
        bool key = false;
        std::uint32_t orderLsb = 0;
        std::int32_t bottomDelta = 0;
        int log2MaxLsb = 4;
        int orderType = 0;
        int temporalId = 0;
        int nalType = 0;
    };

private:
    struct NalUnit {
        int type = 0;
        std::span<const std::uint8_t> bytes;  // header included
    };
    bool plausibleHeader(std::span<const std::uint8_t> nal) const;
    int typeOf(std::span<const std::uint8_t> nal) const;
    bool isSlice(int type) const;
    bool startsNewUnit(int type) const;
    bool partitionedSlice(int type) const;
    std::optional<SliceFacts> sliceFacts(std::span<const std::uint8_t> nal) const;
    std::optional<SliceFacts> avcSliceFacts(std::span<const std::uint8_t> nal) const;
    std::optional<SliceFacts> hevcSliceFacts(std::span<const std::uint8_t> nal) const;
    void learnParameterSet(int type, std::span<const std::uint8_t> nal, bool fromConfiguration);
    void readConfiguration(std::span<const std::uint8_t> configuration);
    std::int64_t pictureOrder(const SliceFacts& facts, bool& startsSequence) const;

    VideoCodec codec_;
    int lengthSize_ = 4;
    std::map<std::uint32_t, SequenceSet> sequenceSets_;
    std::map<std::uint32_t, PictureSet> pictureSets_;
    std::map<std::pair<int, std::uint32_t>, std::vector<std::uint8_t>> configuredSets_;
    bool sawOtherParameterSets_ = false;

    // Picture order state: of the previous reference picture (H.264) or TemporalId-0 picture (HEVC).
    bool seenPicture_ = false;
    std::int64_t previousMsb_ = 0;
    std::uint32_t previousLsb_ = 0;
    std::int64_t previousOrder_ = 0;
    std::int64_t decodeIndex_ = 0;
    std::optional<SliceFacts> pendingFacts_;
};

}  // namespace tidewell::FileFirstAidEngine
