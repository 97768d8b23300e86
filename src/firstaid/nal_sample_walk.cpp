#include "firstaid/nal_sample_walk.h"
#include "firstaid/big_endian.h"

#include <algorithm>

#include "firstaid/rbsp_bit_reader.h"

namespace tidewell::FileFirstAidEngine {

namespace {

// H.264 NAL unit types (ITU-T H.264 table 7-1) and HEVC ones (ITU-T H.265 table 7-1).
constexpr int avcNonIdrSlice = 1, avcIdrSlice = 5, avcSei = 6, avcSequenceSet = 7, avcPictureSet = 8, avcDelimiter = 9;
constexpr int hevcVideoSet = 32, hevcSequenceSet = 33, hevcPictureSet = 34, hevcDelimiter = 35, hevcPrefixSei = 39;

bool hevcIrap(int type) {
    return type >= 16 && type <= 23;
}
bool hevcIdr(int type) {
    return type == 19 || type == 20;
}
bool hevcBla(int type) {
    return type >= 16 && type <= 18;
}

// Skips scaling_list() of an H.264 sequence set (7.3.2.1.1.1): only its length matters here.
bool skipScalingList(RbspBitReader& reader, int size) {
    int last = 8, next = 8;
    for (int j = 0; j < size; ++j) {
        if (next != 0) {
            auto delta = reader.signedGolomb();
            if (!delta) return false;
            next = (last + *delta + 256) % 256;
        }
        last = next == 0 ? last : next;
    }
    return true;
}

std::optional<NalSampleWalker::SequenceSet> avcSequenceSetFields(RbspBitReader reader, std::uint32_t& id) {
    NalSampleWalker::SequenceSet set;
    auto profile = reader.bits(8);
    if (!profile || !reader.skip(16)) return std::nullopt;
    auto setId = reader.unsignedGolomb();
    if (!setId) return std::nullopt;
    id = *setId;
    static constexpr int highProfiles[] = {100, 110, 122, 244, 44, 83, 86, 118, 128, 138, 139, 134, 135};
    if (std::find(std::begin(highProfiles), std::end(highProfiles), static_cast<int>(*profile)) !=
        std::end(highProfiles)) {
        auto chroma = reader.unsignedGolomb();
        if (!chroma) return std::nullopt;
        if (*chroma == 3) set.separateColourPlanes = reader.flag().value_or(false);
        if (!reader.unsignedGolomb() || !reader.unsignedGolomb() || !reader.skip(1)) return std::nullopt;
        auto matrices = reader.flag();
        if (!matrices) return std::nullopt;
        if (*matrices) {
            for (int i = 0; i < (*chroma == 3 ? 12 : 8); ++i) {
                auto present = reader.flag();
                if (!present) return std::nullopt;
                if (*present && !skipScalingList(reader, i < 6 ? 16 : 64)) return std::nullopt;
            }
        }
    }
    auto frameNumber = reader.unsignedGolomb();
    auto orderType = reader.unsignedGolomb();
    if (!frameNumber || !orderType || *frameNumber > 12 || *orderType > 2) return std::nullopt;
    set.log2MaxFrameNumber = static_cast<int>(*frameNumber) + 4;
    set.pictureOrderType = static_cast<int>(*orderType);
    if (*orderType == 0) {
        auto lsb = reader.unsignedGolomb();
        if (!lsb || *lsb > 12) return std::nullopt;
        set.log2MaxPictureOrderLsb = static_cast<int>(*lsb) + 4;
    } else if (*orderType == 1) {
        if (!reader.skip(1) || !reader.signedGolomb() || !reader.signedGolomb()) return std::nullopt;
        auto cycle = reader.unsignedGolomb();
        if (!cycle || *cycle > 255) return std::nullopt;
        for (std::uint32_t i = 0; i < *cycle; ++i)
            if (!reader.signedGolomb()) return std::nullopt;
    }
    if (!reader.unsignedGolomb() || !reader.skip(1) || !reader.unsignedGolomb() || !reader.unsignedGolomb())
        return std::nullopt;
    auto frameMbsOnly = reader.flag();
    if (!frameMbsOnly) return std::nullopt;
    set.frameMbsOnly = *frameMbsOnly;
    return set;
}

// profile_tier_level(1, maxSubLayersMinus1) of H.265 7.3.3: skipped by its length.
bool skipProfileTierLevel(RbspBitReader& reader, int maxSubLayersMinus1) {
    if (!reader.skip(88 + 8)) return false;
    std::vector<std::pair<bool, bool>> present;
    for (int i = 0; i < maxSubLayersMinus1; ++i) {
        auto profile = reader.flag();
        auto level = reader.flag();
        if (!profile || !level) return false;
        present.emplace_back(*profile, *level);
    }
    if (maxSubLayersMinus1 > 0 && !reader.skip(2 * (8 - maxSubLayersMinus1))) return false;
    for (auto [profile, level] : present) {
        if (profile && !reader.skip(88)) return false;
        if (level && !reader.skip(8)) return false;
    }
    return true;
}

std::optional<NalSampleWalker::SequenceSet> hevcSequenceSetFields(RbspBitReader reader, std::uint32_t& id) {
    NalSampleWalker::SequenceSet set;
    if (!reader.skip(4)) return std::nullopt;
    auto subLayers = reader.bits(3);
    if (!subLayers || !reader.skip(1) || !skipProfileTierLevel(reader, static_cast<int>(*subLayers)))
        return std::nullopt;
    auto setId = reader.unsignedGolomb();
    auto chroma = reader.unsignedGolomb();
    if (!setId || !chroma) return std::nullopt;
    id = *setId;
    if (*chroma == 3) set.separateColourPlanes = reader.flag().value_or(false);
    if (!reader.unsignedGolomb() || !reader.unsignedGolomb()) return std::nullopt;
    auto window = reader.flag();
    if (!window) return std::nullopt;
    if (*window)
        for (int i = 0; i < 4; ++i)
            if (!reader.unsignedGolomb()) return std::nullopt;
    if (!reader.unsignedGolomb() || !reader.unsignedGolomb()) return std::nullopt;
    auto lsb = reader.unsignedGolomb();
    if (!lsb || *lsb > 12) return std::nullopt;
    set.log2MaxPictureOrderLsb = static_cast<int>(*lsb) + 4;
    return set;
}

std::optional<NalSampleWalker::PictureSet> pictureSetFields(VideoCodec codec, RbspBitReader reader, std::uint32_t& id) {
    NalSampleWalker::PictureSet set;
    auto setId = reader.unsignedGolomb();
    auto sequenceId = reader.unsignedGolomb();
    if (!setId || !sequenceId) return std::nullopt;
    id = *setId;
    set.sequenceSetId = *sequenceId;
    if (codec == VideoCodec::h264) {
        if (!reader.skip(1)) return std::nullopt;
        auto bottom = reader.flag();
        if (!bottom) return std::nullopt;
        set.bottomFieldOrderPresent = *bottom;
        return set;
    }
    auto dependent = reader.flag();
    auto output = reader.flag();
    auto extra = reader.bits(3);
    if (!dependent || !output || !extra) return std::nullopt;
    set.dependentSliceSegments = *dependent;
    set.outputFlagPresent = *output;
    set.extraSliceHeaderBits = static_cast<int>(*extra);
    return set;
}

}  // namespace

NalSampleWalker::NalSampleWalker(VideoCodec codec, std::span<const std::uint8_t> configuration) : codec_(codec) {
    readConfiguration(configuration);
}

// avcC (ISO/IEC 14496-15 5.3.3.1) and hvcC (8.3.3.1): the NAL length size and the parameter sets.
void NalSampleWalker::readConfiguration(std::span<const std::uint8_t> configuration) {
    std::size_t at = 0;
    auto take = [&](std::size_t count) -> std::optional<std::span<const std::uint8_t>> {
        if (configuration.size() - at < count || at > configuration.size()) return std::nullopt;
        auto bytes = configuration.subspan(at, count);
        at += count;
        return bytes;
    };
    auto learnList = [&](std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            auto length = take(2);
            if (!length) return false;
            auto nal = take(bigEndian(*length));
            if (!nal) return false;
            if (!nal->empty()) learnParameterSet(typeOf(*nal), *nal, true);
        }
        return true;
    };
    if (codec_ == VideoCodec::h264) {
        auto head = take(6);
        if (!head) return;
        lengthSize_ = ((*head)[4] & 3) + 1;
        if (!learnList((*head)[5] & 0x1F)) return;
        auto pictures = take(1);
        if (pictures) learnList((*pictures)[0]);
        return;
    }
    auto head = take(23);
    if (!head) return;
    lengthSize_ = ((*head)[21] & 3) + 1;
    for (std::size_t array = 0; array < (*head)[22]; ++array) {
        auto type = take(1);
        auto count = take(2);
        if (!type || !count || !learnList(bigEndian(*count))) return;
    }
}

int NalSampleWalker::typeOf(std::span<const std::uint8_t> nal) const {
    if (nal.empty()) return -1;
    return codec_ == VideoCodec::h264 ? (nal[0] & 0x1F) : ((nal[0] >> 1) & 0x3F);
}

// The forbidden bit clear and a type a single-layer stream carries, with the reference
// indication its type requires.
bool NalSampleWalker::mayStartAccessUnit(std::span<const std::uint8_t> bytes) const {
    const auto prefix = static_cast<std::size_t>(lengthSize_);
    if (bytes.size() < prefix + 2) return false;
    const std::uint64_t length = bigEndian(bytes.first(prefix));
    return length >= 2 && length <= NalLimits::maximumAccessUnitBytes && plausibleHeader(bytes.subspan(prefix, 2));
}

bool NalSampleWalker::plausibleHeader(std::span<const std::uint8_t> nal) const {
    if (nal.empty() || (nal[0] & 0x80) != 0) return false;
    const int type = typeOf(nal);
    if (codec_ == VideoCodec::h264) {
        const int referenceIndication = (nal[0] >> 5) & 3;
        if (type == 0 || type == 13 || type >= 21) return false;
        if (type == avcIdrSlice && referenceIndication == 0) return false;
        if ((type == avcSei || type == avcDelimiter || type == 10 || type == 11 || type == 12) &&
            referenceIndication != 0)
            return false;
        return true;
    }
    if (nal.size() < 2) return false;
    const int layer = ((nal[0] & 1) << 5) | (nal[1] >> 3);
    const int temporalPlusOne = nal[1] & 7;
    if (layer != 0 || temporalPlusOne == 0) return false;
    return (type <= 9) || (type >= 16 && type <= 21) || (type >= 32 && type <= 40);
}

bool NalSampleWalker::isSlice(int type) const {
    if (codec_ == VideoCodec::h264) return type == avcNonIdrSlice || type == avcIdrSlice;
    return type >= 0 && type <= 31;
}

bool NalSampleWalker::partitionedSlice(int type) const {
    return codec_ == VideoCodec::h264 && type >= 2 && type <= 4;
}

// Types that may only open an access unit (H.264 7.4.1.2.3, H.265 7.4.2.4.4).
bool NalSampleWalker::startsNewUnit(int type) const {
    if (codec_ == VideoCodec::h264)
        return type == avcSei || type == avcSequenceSet || type == avcPictureSet || type == avcDelimiter ||
               (type >= 14 && type <= 18);
    return type == hevcVideoSet || type == hevcSequenceSet || type == hevcPictureSet || type == hevcDelimiter ||
           type == hevcPrefixSei;
}

void NalSampleWalker::learnParameterSet(int type, std::span<const std::uint8_t> nal, bool fromConfiguration) {
    const std::size_t headerLength = codec_ == VideoCodec::h264 ? 1 : 2;
    if (nal.size() <= headerLength) return;
    const auto payload = unescapedPayload(nal.subspan(headerLength), NalLimits::parameterSetBytesParsed);
    std::uint32_t id = 0;
    const bool sequence = type == (codec_ == VideoCodec::h264 ? avcSequenceSet : hevcSequenceSet);
    const bool picture = type == (codec_ == VideoCodec::h264 ? avcPictureSet : hevcPictureSet);
    if (sequence) {
        auto set = codec_ == VideoCodec::h264 ? avcSequenceSetFields(RbspBitReader(payload), id)
                                              : hevcSequenceSetFields(RbspBitReader(payload), id);
        if (!set) return;
        sequenceSets_[id] = *set;
    } else if (picture) {
        auto set = pictureSetFields(codec_, RbspBitReader(payload), id);
        if (!set) return;
        pictureSets_[id] = *set;
    } else {
        return;
    }
    const std::vector<std::uint8_t> bytes(nal.begin(), nal.end());
    const auto key = std::make_pair(type, id);
    if (fromConfiguration) {
        configuredSets_[key] = bytes;
    } else if (auto configured = configuredSets_.find(key);
               configured != configuredSets_.end() && configured->second != bytes) {
        sawOtherParameterSets_ = true;
    }
}

std::optional<NalSampleWalker::SliceFacts> NalSampleWalker::sliceFacts(std::span<const std::uint8_t> nal) const {
    return codec_ == VideoCodec::h264 ? avcSliceFacts(nal) : hevcSliceFacts(nal);
}

// slice_header() of H.264 7.3.3, up to delta_pic_order_cnt_bottom.
std::optional<NalSampleWalker::SliceFacts> NalSampleWalker::avcSliceFacts(std::span<const std::uint8_t> nal) const {
    if (nal.size() < 2) return std::nullopt;
    const auto payload = unescapedPayload(nal.subspan(1), NalLimits::headerBytesParsed);
    RbspBitReader reader(payload);
    SliceFacts facts;
    facts.nalType = typeOf(nal);
    facts.reference = ((nal[0] >> 5) & 3) != 0;
    facts.idr = facts.key = facts.nalType == avcIdrSlice;
    auto firstMacroblock = reader.unsignedGolomb();
    auto sliceType = reader.unsignedGolomb();
    auto pictureSetId = reader.unsignedGolomb();
    if (!firstMacroblock || !sliceType || *sliceType > 9 || !pictureSetId) return std::nullopt;
    facts.firstSliceOfPicture = *firstMacroblock == 0;
    auto picture = pictureSets_.find(*pictureSetId);
    if (picture == pictureSets_.end()) return std::nullopt;
    auto sequence = sequenceSets_.find(picture->second.sequenceSetId);
    if (sequence == sequenceSets_.end()) return std::nullopt;
    const SequenceSet& set = sequence->second;
    facts.orderType = set.pictureOrderType;
    facts.log2MaxLsb = set.log2MaxPictureOrderLsb;
    if (set.separateColourPlanes && !reader.skip(2)) return std::nullopt;
    if (!reader.skip(set.log2MaxFrameNumber)) return std::nullopt;
    bool field = false;
    if (!set.frameMbsOnly) {
        auto fieldPicture = reader.flag();
        if (!fieldPicture) return std::nullopt;
        field = *fieldPicture;
        if (field && !reader.skip(1)) return std::nullopt;
    }
    if (facts.idr && !reader.unsignedGolomb()) return std::nullopt;
    if (set.pictureOrderType == 0) {
        auto lsb = reader.bits(set.log2MaxPictureOrderLsb);
        if (!lsb) return std::nullopt;
        facts.orderLsb = *lsb;
        if (picture->second.bottomFieldOrderPresent && !field) {
            auto delta = reader.signedGolomb();
            if (!delta) return std::nullopt;
            facts.bottomDelta = *delta;
        }
    }
    return facts;
}

// slice_segment_header() of H.265 7.3.6.1, up to slice_pic_order_cnt_lsb.
std::optional<NalSampleWalker::SliceFacts> NalSampleWalker::hevcSliceFacts(std::span<const std::uint8_t> nal) const {
    if (nal.size() < 3) return std::nullopt;
    const auto payload = unescapedPayload(nal.subspan(2), NalLimits::headerBytesParsed);
    RbspBitReader reader(payload);
    SliceFacts facts;
    facts.nalType = typeOf(nal);
    facts.temporalId = (nal[1] & 7) - 1;
    facts.key = hevcIrap(facts.nalType);
    facts.idr = hevcIdr(facts.nalType) || hevcBla(facts.nalType);
    // Sub-layer non-reference pictures are the even types below 16 (H.265 7.4.2.2).
    facts.reference = !(facts.nalType < 16 && facts.nalType % 2 == 0) && facts.nalType != 6 && facts.nalType != 7 &&
                      facts.nalType != 8 && facts.nalType != 9;
    auto first = reader.flag();
    if (!first) return std::nullopt;
    facts.firstSliceOfPicture = *first;
    if (facts.key && !reader.skip(1)) return std::nullopt;
    auto pictureSetId = reader.unsignedGolomb();
    if (!pictureSetId) return std::nullopt;
    auto picture = pictureSets_.find(*pictureSetId);
    if (picture == pictureSets_.end()) return std::nullopt;
    auto sequence = sequenceSets_.find(picture->second.sequenceSetId);
    if (sequence == sequenceSets_.end()) return std::nullopt;
    facts.log2MaxLsb = sequence->second.log2MaxPictureOrderLsb;
    // Later slice segments only need to parse this far: the picture's first one carries the order.
    if (!facts.firstSliceOfPicture) return facts;
    if (!reader.skip(picture->second.extraSliceHeaderBits)) return std::nullopt;
    auto sliceType = reader.unsignedGolomb();
    if (!sliceType || *sliceType > 2) return std::nullopt;
    if (picture->second.outputFlagPresent && !reader.skip(1)) return std::nullopt;
    if (sequence->second.separateColourPlanes && !reader.skip(2)) return std::nullopt;
    if (!hevcIdr(facts.nalType)) {
        auto lsb = reader.bits(facts.log2MaxLsb);
        if (!lsb) return std::nullopt;
        facts.orderLsb = *lsb;
    }
    return facts;
}

AccessUnitFit NalSampleWalker::accessUnitAt(std::span<const std::uint8_t> bytes, bool reachesEnd, AccessUnit& unit) {
    const auto prefix = static_cast<std::size_t>(lengthSize_);
    std::size_t at = 0;
    std::size_t count = 0;
    std::optional<SliceFacts> first;
    while (count < NalLimits::maximumNalUnitsPerAccessUnit) {
        if (bytes.size() - at < prefix + 1) {
            // Whether the unit goes on is only known with more bytes; at the end of the data a
            // unit with a slice is whole, and one without is where the recording was cut.
            if (!reachesEnd) return AccessUnitFit::needMore;
            if (first) break;
            return at > 0 ? AccessUnitFit::cut : AccessUnitFit::none;
        }
        const std::uint64_t length = bigEndian(bytes.subspan(at, prefix));
        if (length == 0 || length > NalLimits::maximumAccessUnitBytes) break;
        const std::size_t available = std::min<std::size_t>(bytes.size() - at - prefix, NalLimits::headerBytesParsed);
        if (available < std::min<std::uint64_t>(length, NalLimits::headerBytesParsed) && !reachesEnd)
            return AccessUnitFit::needMore;
        const auto head = bytes.subspan(at + prefix, std::min<std::uint64_t>(available, length));
        if (!plausibleHeader(head)) break;
        const int type = typeOf(head);
        std::optional<SliceFacts> facts;
        if (isSlice(type)) {
            facts = sliceFacts(head);
            if (!facts) break;
            // A new picture's first slice ends the unit before it.
            if (first && facts->firstSliceOfPicture) break;
            if (!first && !facts->firstSliceOfPicture) return AccessUnitFit::none;
        } else if (first && (startsNewUnit(type) || partitionedSlice(type))) {
            // Data partitions are never part of a unit whose first slice is whole, so bytes that
            // read as one after a picture (PCM samples, say) are the next track's.
            break;
        }
        if (length > bytes.size() - at - prefix) {
            if (reachesEnd) return AccessUnitFit::cut;
            return AccessUnitFit::needMore;
        }
        if (at + prefix + length > NalLimits::maximumAccessUnitBytes) return AccessUnitFit::none;
        if (!isSlice(type)) learnParameterSet(type, bytes.subspan(at + prefix, length), false);
        if (facts && !first) first = facts;
        at += prefix + length;
        ++count;
    }
    if (!first) return AccessUnitFit::none;
    bool startsSequence = false;
    unit.length = at;
    unit.key = first->key;
    unit.pictureOrder = pictureOrder(*first, startsSequence);
    unit.startsSequence = startsSequence;
    pendingFacts_ = first;
    return AccessUnitFit::found;
}

// Picture order count: H.264 8.2.1.1 for type 0 (types 1 and 2 are taken in decoding order,
// as type 2 always is), H.265 8.3.1.
std::int64_t NalSampleWalker::pictureOrder(const SliceFacts& facts, bool& startsSequence) const {
    startsSequence = !seenPicture_ || facts.idr || (codec_ == VideoCodec::hevc && !seenPicture_ && facts.key);
    if (codec_ == VideoCodec::h264 && facts.orderType != 0) return startsSequence ? 0 : decodeIndex_ + 1;
    std::int64_t previousMsb = startsSequence ? 0 : previousMsb_;
    std::uint32_t previousLsb = startsSequence ? 0 : previousLsb_;
    if (codec_ == VideoCodec::hevc && hevcIdr(facts.nalType)) return 0;
    const std::int64_t maxLsb = std::int64_t{1} << facts.log2MaxLsb;
    const auto lsb = static_cast<std::int64_t>(facts.orderLsb);
    const auto previous = static_cast<std::int64_t>(previousLsb);
    std::int64_t msb = previousMsb;
    if (codec_ == VideoCodec::hevc && startsSequence) {
        msb = 0;
    } else if (lsb < previous && previous - lsb >= maxLsb / 2) {
        msb = previousMsb + maxLsb;
    } else if (lsb > previous && lsb - previous > maxLsb / 2) {
        msb = previousMsb - maxLsb;
    }
    const std::int64_t top = msb + lsb;
    return std::min(top, top + facts.bottomDelta);
}

void NalSampleWalker::accept(const AccessUnit& unit) {
    if (!pendingFacts_) return;
    const SliceFacts facts = *pendingFacts_;
    pendingFacts_.reset();
    const std::int64_t maxLsb = std::int64_t{1} << facts.log2MaxLsb;
    const bool updates = codec_ == VideoCodec::h264 ? facts.reference : facts.temporalId == 0 && facts.reference;
    if (codec_ == VideoCodec::h264 && facts.orderType != 0) {
        decodeIndex_ = unit.pictureOrder;
    } else if (updates || !seenPicture_) {
        const std::int64_t order =
            unit.pictureOrder - (codec_ == VideoCodec::h264 ? std::min<std::int64_t>(0, facts.bottomDelta) : 0);
        previousLsb_ = static_cast<std::uint32_t>(((order % maxLsb) + maxLsb) % maxLsb);
        previousMsb_ = order - previousLsb_;
        previousOrder_ = unit.pictureOrder;
    }
    seenPicture_ = true;
}

}  // namespace tidewell::FileFirstAidEngine
