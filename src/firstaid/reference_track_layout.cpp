#include "firstaid/reference_track_layout.h"
#include "firstaid/big_endian.h"

#include <algorithm>
#include <fstream>
#include <map>

#include "firstaid/media_container.h"
#include "firstaid/repair_error.h"

namespace tidewell::FileFirstAidEngine {

namespace {

constexpr std::uint64_t maximumMovieBytes = 256ULL * 1024 * 1024;

struct Box {
    std::string type;
    std::span<const std::uint8_t> whole;    // header included
    std::span<const std::uint8_t> payload;  // after the header
};

// The boxes directly inside bytes; each clamped to what is left, a malformed one ends the list.
std::vector<Box> childBoxes(std::span<const std::uint8_t> bytes) {
    std::vector<Box> boxes;
    std::size_t at = 0;
    while (bytes.size() - at >= 8) {
        const auto header = atomHeader(bytes.subspan(at), bytes.size() - at);
        if (!header || header->size < header->length || header->size > bytes.size() - at) break;
        const auto whole = bytes.subspan(at, header->size);
        boxes.push_back({header->type, whole, whole.subspan(header->length)});
        at += header->size;
    }
    return boxes;
}

std::optional<Box> child(std::span<const std::uint8_t> bytes, std::string_view type) {
    for (const auto& box : childBoxes(bytes))
        if (box.type == type) return box;
    return std::nullopt;
}

std::optional<Box> descendant(std::span<const std::uint8_t> bytes, std::initializer_list<std::string_view> path) {
    std::optional<Box> box;
    for (auto type : path) {
        box = child(box ? box->payload : bytes, type);
        if (!box) return std::nullopt;
    }
    return box;
}

std::vector<std::uint8_t> copied(const std::optional<Box>& box) {
    if (!box) return {};
    return {box->whole.begin(), box->whole.end()};
}

// A box of the given type found anywhere inside bytes (a sample entry nests its configuration
// at an offset that depends on the entry's version, or inside a QuickTime 'wave' box).
std::optional<std::span<const std::uint8_t>> findNestedPayload(std::span<const std::uint8_t> bytes,
                                                               std::string_view type) {
    for (std::size_t at = 4; at + 4 <= bytes.size(); ++at) {
        if (!std::equal(type.begin(), type.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at))) continue;
        const std::uint64_t size = bigEndian(bytes.subspan(at - 4, 4));
        if (size >= 8 && size <= bytes.size() - (at - 4)) return bytes.subspan(at + 4, size - 8);
    }
    return std::nullopt;
}

// The DecoderSpecificInfo of an esds box (ISO/IEC 14496-1 7.2.6.5): the AudioSpecificConfig.
std::vector<std::uint8_t> audioSpecificConfig(std::span<const std::uint8_t> esds) {
    std::size_t at = 4;  // version and flags
    auto descriptor = [&](std::uint8_t& tag) -> std::optional<std::size_t> {
        if (at >= esds.size()) return std::nullopt;
        tag = esds[at++];
        std::size_t length = 0;
        for (int i = 0; i < 4; ++i) {
            if (at >= esds.size()) return std::nullopt;
            const std::uint8_t byte = esds[at++];
            length = (length << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0) break;
        }
        return length;
    };
    std::uint8_t tag = 0;
    auto length = descriptor(tag);
    if (!length || tag != 3 || esds.size() - at < 3) return {};
    const std::uint8_t flags = esds[at + 2];
    at += 3;
    if (flags & 0x80) at += 2;
    if (flags & 0x40) {
        if (at >= esds.size()) return {};
        at += 1 + esds[at];
    }
    if (flags & 0x20) at += 2;
    length = descriptor(tag);
    if (!length || tag != 4) return {};
    at += 13;
    length = descriptor(tag);
    if (!length || tag != 5 || at > esds.size() || *length > esds.size() - at) return {};
    return {esds.begin() + static_cast<std::ptrdiff_t>(at), esds.begin() + static_cast<std::ptrdiff_t>(at + *length)};
}

std::uint32_t mostCommon(const std::map<std::uint32_t, std::uint64_t>& counts) {
    std::uint32_t best = 0;
    std::uint64_t bestCount = 0;
    for (auto [value, count] : counts)
        if (count > bestCount) best = value, bestCount = count;
    return best;
}

// The codec of the first sample entry and its configuration.
bool readSampleEntry(ReferenceTrack& track, std::span<const std::uint8_t> stsdPayload) {
    if (stsdPayload.size() < 8) return false;
    const auto entries = childBoxes(stsdPayload.subspan(8));
    if (entries.empty()) return false;
    const Box& entry = entries.front();
    const std::string& format = entry.type;
    std::optional<std::span<const std::uint8_t>> configuration;
    if (format == "avc1" || format == "avc3") {
        track.codec = TrackCodec::h264;
        configuration = findNestedPayload(entry.payload, "avcC");
    } else if (format == "hvc1" || format == "hev1") {
        track.codec = TrackCodec::hevc;
        configuration = findNestedPayload(entry.payload, "hvcC");
    } else if (format == "mp4a") {
        track.codec = TrackCodec::aac;
        auto esds = findNestedPayload(entry.payload, "esds");
        if (!esds) return false;
        track.decoderConfiguration = audioSpecificConfig(*esds);
        return !track.decoderConfiguration.empty();
    } else if (format == "twos" || format == "sowt" || format == "in24" || format == "in32" || format == "fl32" ||
               format == "fl64" || format == "raw ") {
        // QuickTime sound description: channel count at 16, sample size in bits at 18 of the payload.
        if (entry.payload.size() < 20) return false;
        track.codec = TrackCodec::pcm;
        const auto channels = static_cast<std::uint32_t>(bigEndian(entry.payload.subspan(16, 2)));
        std::uint32_t bits = static_cast<std::uint32_t>(bigEndian(entry.payload.subspan(18, 2)));
        if (format == "in24") bits = 24;
        if (format == "in32" || format == "fl32") bits = 32;
        if (format == "fl64") bits = 64;
        track.pcmBytesPerFrame = channels * bits / 8;
        return track.pcmBytesPerFrame > 0;
    } else {
        return false;
    }
    if (!configuration) return false;
    track.decoderConfiguration.assign(configuration->begin(), configuration->end());
    return true;
}

// stts: the most common sample duration.
std::uint32_t commonSampleDuration(std::span<const std::uint8_t> stts) {
    std::map<std::uint32_t, std::uint64_t> counts;
    if (stts.size() < 8) return 0;
    const std::uint64_t entries = bigEndian(stts.subspan(4, 4));
    for (std::uint64_t i = 0; i < entries && 8 + i * 8 + 8 <= stts.size(); ++i) {
        const std::size_t at = 8 + i * 8;
        counts[static_cast<std::uint32_t>(bigEndian(stts.subspan(at + 4, 4)))] += bigEndian(stts.subspan(at, 4));
    }
    return mostCommon(counts);
}

// stsc: the samples-per-chunk counts, most common first. A muxer may vary them (chunks of one or
// two audio packets), so every one is a candidate.
std::vector<std::uint32_t> chunkSampleCounts(std::span<const std::uint8_t> stsc) {
    std::map<std::uint32_t, std::uint64_t> counts;
    const std::uint64_t entries = stsc.size() < 8 ? 0 : bigEndian(stsc.subspan(4, 4));
    for (std::uint64_t i = 0; i < entries && 8 + i * 12 + 12 <= stsc.size(); ++i) {
        const auto count = static_cast<std::uint32_t>(bigEndian(stsc.subspan(8 + i * 12 + 4, 4)));
        if (count > 0) counts[count] += 1;
    }
    std::vector<std::pair<std::uint64_t, std::uint32_t>> ranked;
    for (auto [count, entriesWithIt] : counts) ranked.emplace_back(entriesWithIt, count);
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<std::uint32_t> list;
    for (std::size_t i = 0; i < ranked.size() && i < ReferenceLimits::chunkCountsKept; ++i)
        list.push_back(ranked[i].second);
    if (list.empty()) list.push_back(1);
    return list;
}

// The media time of the first edit of an edts box, 0 without one.
std::int64_t firstEditMediaTime(std::span<const std::uint8_t> trak) {
    auto elst = descendant(trak, {"edts", "elst"});
    if (!elst || elst->payload.size() < 8) return 0;
    const std::uint8_t version = elst->payload[0];
    const std::size_t entry = version == 1 ? 20 : 12;
    std::uint64_t count = bigEndian(elst->payload.subspan(4, 4));
    for (std::size_t at = 8; count > 0 && at + entry <= elst->payload.size(); at += entry, --count) {
        const auto time = version == 1 ? static_cast<std::int64_t>(bigEndian(elst->payload.subspan(at + 8, 8)))
                                       : static_cast<std::int32_t>(bigEndian(elst->payload.subspan(at + 4, 4)));
        if (time >= 0) return time;  // an empty edit (-1) only delays the track
    }
    return 0;
}

std::optional<ReferenceTrack> readTrack(std::span<const std::uint8_t> trak) {
    ReferenceTrack track;
    auto hdlr = descendant(trak, {"mdia", "hdlr"});
    auto mdhd = descendant(trak, {"mdia", "mdhd"});
    auto stbl = descendant(trak, {"mdia", "minf", "stbl"});
    auto tkhd = child(trak, "tkhd");
    if (!hdlr || !mdhd || !stbl || !tkhd || hdlr->payload.size() < 12 || mdhd->payload.size() < 24) return std::nullopt;
    track.handler = std::string(hdlr->payload.begin() + 8, hdlr->payload.begin() + 12);
    if (track.handler != "vide" && track.handler != "soun") return std::nullopt;
    track.timescale = static_cast<std::uint32_t>(bigEndian(mdhd->payload.subspan(mdhd->payload[0] == 1 ? 20 : 12, 4)));
    auto stsd = child(stbl->payload, "stsd");
    auto stts = child(stbl->payload, "stts");
    if (!stsd || !stts || track.timescale == 0 || !readSampleEntry(track, stsd->payload)) return std::nullopt;
    if ((track.handler == "vide") != (track.codec == TrackCodec::h264 || track.codec == TrackCodec::hevc))
        return std::nullopt;
    track.sampleDuration = commonSampleDuration(stts->payload);
    if (track.codec == TrackCodec::aac && track.sampleDuration == 0) track.sampleDuration = 1024;
    if (track.codec == TrackCodec::pcm) track.sampleDuration = 1;
    if (track.sampleDuration == 0) return std::nullopt;
    if (auto stsc = child(stbl->payload, "stsc")) track.chunkCounts = chunkSampleCounts(stsc->payload);
    track.editMediaTime = firstEditMediaTime(trak);
    track.trackHeader = copied(tkhd);
    track.mediaHeader = copied(mdhd);
    track.handlerBox = copied(hdlr);
    auto minf = descendant(trak, {"mdia", "minf"});
    track.mediaInfoHeader = copied(child(minf->payload, track.handler == "vide" ? "vmhd" : "smhd"));
    track.dataInformation = copied(child(minf->payload, "dinf"));
    track.sampleDescription = copied(stsd);
    return track;
}

std::vector<std::uint8_t> readRange(std::ifstream& file, std::uint64_t offset, std::uint64_t size) {
    std::vector<std::uint8_t> bytes(size);
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::uint64_t>(file.gcount()) != size) return {};
    return bytes;
}

}  // namespace

std::optional<ReferenceLayout> parseReferenceLayout(std::span<const std::uint8_t> fileType,
                                                    std::span<const std::uint8_t> movie) {
    const auto movieBoxes = childBoxes(movie);
    if (movieBoxes.size() != 1 || movieBoxes.front().type != "moov") return std::nullopt;
    const auto moov = movieBoxes.front().payload;
    ReferenceLayout layout;
    layout.fileType.assign(fileType.begin(), fileType.end());
    auto mvhd = child(moov, "mvhd");
    if (!mvhd || mvhd->payload.size() < 24) return std::nullopt;
    layout.movieHeader = copied(mvhd);
    layout.movieTimescale =
        static_cast<std::uint32_t>(bigEndian(mvhd->payload.subspan(mvhd->payload[0] == 1 ? 20 : 12, 4)));
    if (layout.movieTimescale == 0) return std::nullopt;
    for (const auto& box : childBoxes(moov)) {
        if (box.type != "trak") continue;
        if (auto track = readTrack(box.payload)) layout.tracks.push_back(std::move(*track));
    }
    if (layout.tracks.empty()) return std::nullopt;
    return layout;
}

ReferenceLayout readReferenceLayout(const std::filesystem::path& reference) {
    const RepairError unreadable = RepairError::cannotRead(
        "The reference clip has no readable movie metadata. Choose a healthy clip that plays, recorded by the "
        "same camera.");
    const auto atoms = parseTopLevelAtoms(reference);
    auto find = [&](std::string_view type) {
        return std::find_if(atoms.begin(), atoms.end(), [&](const AtomRecord& atom) { return atom.type == type; });
    };
    const auto moov = find("moov");
    const auto ftyp = find("ftyp");
    if (moov == atoms.end() || moov->size > maximumMovieBytes) throw unreadable;
    std::ifstream file(reference, std::ios::binary);
    const auto movie = readRange(file, moov->offset, moov->size);
    std::vector<std::uint8_t> fileType;
    if (ftyp != atoms.end() && ftyp->size < 4096) fileType = readRange(file, ftyp->offset, ftyp->size);
    auto layout = parseReferenceLayout(fileType, movie);
    if (!layout) throw unreadable;
    return *layout;
}

}  // namespace tidewell::FileFirstAidEngine
