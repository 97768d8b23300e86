#include "firstaid/movie_box_writer.h"

#include <algorithm>
#include <numeric>
#include <span>
#include <string_view>

namespace tidewell::FileFirstAidEngine {

namespace {

// Appends big-endian fields and boxes whose sizes are filled in when they close.
class BoxWriter {
public:
    void u8(std::uint64_t value) { bytes.push_back(static_cast<std::uint8_t>(value)); }
    void u16(std::uint64_t value) { field(value, 2); }
    void u32(std::uint64_t value) { field(value, 4); }
    void u64(std::uint64_t value) { field(value, 8); }
    void raw(std::span<const std::uint8_t> data) { bytes.insert(bytes.end(), data.begin(), data.end()); }
    std::size_t open(std::string_view type) {
        const std::size_t start = bytes.size();
        u32(0);
        raw(std::span(reinterpret_cast<const std::uint8_t*>(type.data()), 4));
        return start;
    }
    std::size_t openFull(std::string_view type, std::uint8_t version, std::uint32_t flags) {
        const std::size_t start = open(type);
        u8(version);
        field(flags, 3);
        return start;
    }
    void close(std::size_t start) {
        const std::uint64_t size = bytes.size() - start;
        for (int i = 0; i < 4; ++i)
            bytes[start + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(size >> (24 - 8 * i));
    }
    std::vector<std::uint8_t> bytes;

private:
    void field(std::uint64_t value, int count) {
        for (int i = count - 1; i >= 0; --i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
};

void putBigEndian(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint64_t value, int count) {
    for (int i = 0; i < count && at + static_cast<std::size_t>(i) < bytes.size(); ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * (count - 1 - i)));
}

// The duration field of a copied mvhd, tkhd or mdhd, at its place for the box's version.
std::vector<std::uint8_t> withDuration(std::vector<std::uint8_t> box, std::uint64_t duration, std::size_t version0At,
                                       std::size_t version1At) {
    if (box.size() < 12) return box;
    if (box[8] == 1) {
        putBigEndian(box, version1At, duration, 8);
    } else {
        putBigEndian(box, version0At, std::min<std::uint64_t>(duration, 0xFFFFFFFFU), 4);
    }
    return box;
}

std::uint64_t inMovieTime(std::uint64_t mediaTime, std::uint32_t mediaScale, std::uint32_t movieScale) {
    return static_cast<std::uint64_t>(static_cast<long double>(mediaTime) * movieScale / mediaScale + 0.5L);
}

// Presentation slots from picture order: within a coded video sequence a picture shows
// (order - first order) / step frames after the sequence starts, step being the smallest
// distance between orders (2 for frame pictures of most H.264 encoders). Slots, not ranks,
// so that pictures whose neighbours were lost at the cut keep their time. The delay (in
// frames) makes every composition offset non-negative; the edit list skips it.
std::vector<std::int64_t> presentationSlots(const std::vector<RecoveredSample>& samples, std::int64_t& delay) {
    std::vector<std::pair<std::size_t, std::size_t>> sequences;  // [first, end) in decoding order
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (sequences.empty() || samples[i].startsSequence) sequences.emplace_back(i, i);
        sequences.back().second = i + 1;
    }
    std::int64_t step = 0;
    for (auto [first, end] : sequences) {
        std::vector<std::int64_t> orders;
        for (std::size_t i = first; i < end; ++i) orders.push_back(samples[i].pictureOrder);
        std::sort(orders.begin(), orders.end());
        for (std::size_t i = 1; i < orders.size(); ++i)
            if (orders[i] > orders[i - 1] && (step == 0 || orders[i] - orders[i - 1] < step))
                step = orders[i] - orders[i - 1];
    }
    step = std::max<std::int64_t>(step, 1);
    std::vector<std::int64_t> slots(samples.size(), 0);
    std::int64_t base = 0;
    for (auto [first, end] : sequences) {
        std::int64_t lowest = samples[first].pictureOrder;
        for (std::size_t i = first; i < end; ++i) lowest = std::min(lowest, samples[i].pictureOrder);
        std::int64_t last = base;
        for (std::size_t i = first; i < end; ++i) {
            slots[i] = base + (samples[i].pictureOrder - lowest) / step;
            last = std::max(last, slots[i]);
        }
        base = last + 1;
    }
    delay = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) delay = std::max(delay, static_cast<std::int64_t>(i) - slots[i]);
    return slots;
}

void writeSampleTables(BoxWriter& out, const ReferenceTrack& track, const std::vector<RecoveredSample>& samples,
                       const std::vector<std::int64_t>& ranks, std::int64_t delay, std::int64_t offsetShift) {
    const std::size_t stbl = out.open("stbl");
    out.raw(track.sampleDescription);

    const std::size_t stts = out.openFull("stts", 0, 0);
    out.u32(1);
    out.u32(samples.size());
    out.u32(track.sampleDuration);
    out.close(stts);

    bool reordered = false;
    for (std::size_t i = 0; i < ranks.size(); ++i)
        reordered = reordered || ranks[i] + delay != static_cast<std::int64_t>(i);
    if (reordered) {
        // Runs of equal offsets.
        std::vector<std::pair<std::uint32_t, std::uint32_t>> runs;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            const auto offset = static_cast<std::uint32_t>((ranks[i] + delay - static_cast<std::int64_t>(i)) *
                                                           static_cast<std::int64_t>(track.sampleDuration));
            if (!runs.empty() && runs.back().second == offset) {
                ++runs.back().first;
            } else {
                runs.emplace_back(1, offset);
            }
        }
        const std::size_t ctts = out.openFull("ctts", 0, 0);
        out.u32(runs.size());
        for (auto [count, offset] : runs) {
            out.u32(count);
            out.u32(offset);
        }
        out.close(ctts);
    }

    if (std::any_of(samples.begin(), samples.end(), [](const RecoveredSample& sample) { return !sample.key; })) {
        std::vector<std::uint32_t> keys;
        for (std::size_t i = 0; i < samples.size(); ++i)
            if (samples[i].key) keys.push_back(static_cast<std::uint32_t>(i + 1));
        const std::size_t stss = out.openFull("stss", 0, 0);
        out.u32(keys.size());
        for (auto key : keys) out.u32(key);
        out.close(stss);
    }

    // Chunks: runs of samples that lie back to back in the file.
    std::vector<std::uint64_t> chunkOffsets;
    std::vector<std::uint32_t> chunkSamples;
    std::uint64_t expected = 0;
    for (const auto& sample : samples) {
        if (chunkOffsets.empty() || sample.offset != expected) {
            chunkOffsets.push_back(static_cast<std::uint64_t>(static_cast<std::int64_t>(sample.offset) + offsetShift));
            chunkSamples.push_back(0);
        }
        ++chunkSamples.back();
        expected = sample.offset + sample.size;
    }
    const std::size_t stsc = out.openFull("stsc", 0, 0);
    std::vector<std::pair<std::uint32_t, std::uint32_t>> firstChunks;
    for (std::size_t i = 0; i < chunkSamples.size(); ++i)
        if (firstChunks.empty() || firstChunks.back().second != chunkSamples[i])
            firstChunks.emplace_back(static_cast<std::uint32_t>(i + 1), chunkSamples[i]);
    out.u32(firstChunks.size());
    for (auto [first, count] : firstChunks) {
        out.u32(first);
        out.u32(count);
        out.u32(1);
    }
    out.close(stsc);

    const std::size_t stsz = out.openFull("stsz", 0, 0);
    const bool sameSize = std::all_of(samples.begin(), samples.end(), [&](const RecoveredSample& sample) {
        return sample.size == samples.front().size;
    });
    out.u32(sameSize ? samples.front().size : 0);
    out.u32(samples.size());
    if (!sameSize)
        for (const auto& sample : samples) out.u32(sample.size);
    out.close(stsz);

    const bool large = !chunkOffsets.empty() && chunkOffsets.back() > 0xFFFFFFFFULL;
    const std::size_t stco = out.openFull(large ? "co64" : "stco", 0, 0);
    out.u32(chunkOffsets.size());
    for (auto offset : chunkOffsets) large ? out.u64(offset) : out.u32(offset);
    out.close(stco);
    out.close(stbl);
}

void writeDefaultDataInformation(BoxWriter& out) {
    const std::size_t dinf = out.open("dinf");
    const std::size_t dref = out.openFull("dref", 0, 0);
    out.u32(1);
    const std::size_t url = out.openFull("url ", 0, 1);  // the data is in this file
    out.close(url);
    out.close(dref);
    out.close(dinf);
}

TrackTiming writeTrack(BoxWriter& out, const ReferenceLayout& reference, const ReferenceTrack& track,
                       const std::vector<RecoveredSample>& samples, std::int64_t offsetShift) {
    std::int64_t delay = 0;
    std::vector<std::int64_t> ranks(samples.size());
    std::iota(ranks.begin(), ranks.end(), 0);  // sound shows in decoding order
    if (track.handler == "vide") ranks = presentationSlots(samples, delay);
    const std::uint64_t mediaDuration = samples.size() * static_cast<std::uint64_t>(track.sampleDuration);
    const std::int64_t skipped = track.handler == "vide" ? delay * track.sampleDuration
                                                         : std::min<std::int64_t>(track.editMediaTime, mediaDuration);
    // Composition offsets move every picture later by the skipped time, so video lasts to its last
    // slot; skipped audio (encoder priming) is not presented.
    const std::int64_t lastSlot = ranks.empty() ? 0 : *std::max_element(ranks.begin(), ranks.end());
    const std::uint64_t presented = track.handler == "vide"
                                        ? static_cast<std::uint64_t>(lastSlot + 1) * track.sampleDuration
                                        : mediaDuration - static_cast<std::uint64_t>(skipped);
    const std::uint64_t movieDuration = inMovieTime(presented, track.timescale, reference.movieTimescale);

    const std::size_t trak = out.open("trak");
    out.raw(withDuration(track.trackHeader, movieDuration, 28, 36));
    if (skipped > 0) {
        const std::size_t edts = out.open("edts");
        // Version 0 whenever the times fit: QuickTime readers know only that one.
        const bool wide = movieDuration > 0x7FFFFFFFULL || skipped > 0x7FFFFFFF;
        const std::size_t elst = out.openFull("elst", wide ? 1 : 0, 0);
        out.u32(1);
        if (wide) {
            out.u64(movieDuration);
            out.u64(static_cast<std::uint64_t>(skipped));
        } else {
            out.u32(movieDuration);
            out.u32(static_cast<std::uint64_t>(skipped));
        }
        out.u16(1);
        out.u16(0);
        out.close(elst);
        out.close(edts);
    }
    const std::size_t mdia = out.open("mdia");
    out.raw(withDuration(track.mediaHeader, mediaDuration, 24, 32));
    out.raw(track.handlerBox);
    const std::size_t minf = out.open("minf");
    out.raw(track.mediaInfoHeader);
    if (track.dataInformation.empty()) {
        writeDefaultDataInformation(out);
    } else {
        out.raw(track.dataInformation);
    }
    writeSampleTables(out, track, samples, ranks, delay, offsetShift);
    out.close(minf);
    out.close(mdia);
    out.close(trak);
    return {.sampleCount = samples.size(),
            .mediaDuration = mediaDuration,
            .seconds = static_cast<double>(presented) / track.timescale};
}

}  // namespace

MovieBox buildMovieBox(const ReferenceLayout& reference, const MediaDataWalk& walk, std::int64_t offsetShift) {
    MovieBox movie;
    BoxWriter tracks;
    std::uint64_t longest = 0;
    for (std::size_t index = 0; index < reference.tracks.size(); ++index) {
        const auto& samples = walk.tracks.at(index);
        if (samples.empty()) {
            movie.tracks.push_back({});
            continue;
        }
        const auto timing = writeTrack(tracks, reference, reference.tracks[index], samples, offsetShift);
        longest = std::max(longest, static_cast<std::uint64_t>(timing.seconds * reference.movieTimescale + 0.5));
        movie.tracks.push_back(timing);
    }
    BoxWriter out;
    const std::size_t moov = out.open("moov");
    out.raw(withDuration(reference.movieHeader, longest, 24, 32));
    out.raw(tracks.bytes);
    out.close(moov);
    movie.bytes = std::move(out.bytes);
    return movie;
}

}  // namespace tidewell::FileFirstAidEngine
