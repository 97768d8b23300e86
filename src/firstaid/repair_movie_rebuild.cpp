#include <cctype>
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>

#include "firstaid/big_endian.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/media_data_walk.h"
#include "firstaid/movie_box_writer.h"
#include "firstaid/reference_track_layout.h"
#include "firstaid/repair_exporters.h"
#include "firstaid/tool_output.h"
#include "firstaid/tool_runs.h"

namespace tidewell::FileFirstAidEngine {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t copyBlockBytes = 8 * 1024 * 1024;

const char* const otherSettings =
    "The reference clip was recorded with other settings than this file. Choose a healthy clip from the same "
    "camera, recorded with the same settings.";

// The source's own ftyp box when it opens the file, else the reference's.
std::vector<std::uint8_t> fileTypeBox(const AtomByteReader& read, const ReferenceLayout& reference) {
    std::array<std::uint8_t, 8> header{};
    if (read(0, header) == header.size() && std::memcmp(header.data() + 4, "ftyp", 4) == 0) {
        const std::uint64_t size = bigEndian(std::span(header).first(4));
        if (size >= 16 && size <= 4096) {
            std::vector<std::uint8_t> box(size);
            if (read(0, box) == size) return box;
        }
    }
    return reference.fileType;
}

std::vector<std::uint8_t> mediaDataHeader(std::uint64_t payloadSize) {
    std::vector<std::uint8_t> header;
    auto put = [&](std::uint64_t value, int count) {
        for (int i = count - 1; i >= 0; --i) header.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    if (payloadSize + 8 <= 0xFFFFFFFFULL) {
        put(payloadSize + 8, 4);
        header.insert(header.end(), {'m', 'd', 'a', 't'});
    } else {
        put(1, 4);
        header.insert(header.end(), {'m', 'd', 'a', 't'});
        put(payloadSize + 16, 8);
    }
    return header;
}

// Returns how far each sample moved from the source to the new file.
std::int64_t writeRebuilt(const RepairJob& job, const AtomByteReader& read, const std::vector<std::uint8_t>& fileType,
                          const MediaDataWalk& walk, const ReferenceLayout& reference, MovieBox& movie) {
    const std::uint64_t payloadSize = walk.cutOffset - walk.payloadStart;
    const auto header = mediaDataHeader(payloadSize);
    const auto newPayloadStart = static_cast<std::int64_t>(fileType.size() + header.size());
    const std::int64_t shift = newPayloadStart - static_cast<std::int64_t>(walk.payloadStart);
    movie = buildMovieBox(reference, walk, shift);
    removeExistingOutput(job.output);
    std::ofstream out(job.output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(fileType.data()), static_cast<std::streamsize>(fileType.size()));
    out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    std::vector<std::uint8_t> block(copyBlockBytes);
    for (std::uint64_t at = walk.payloadStart; at < walk.cutOffset && out;) {
        job.throwIfCancelled();
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), walk.cutOffset - at));
        const std::size_t got = read(at, std::span(block).first(wanted));
        if (got == 0) break;
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(got));
        at += got;
        job.report(RepairProgressStage::repairing,
                   0.7 + 0.12 * static_cast<double>(at - walk.payloadStart) / static_cast<double>(payloadSize),
                   "Writing the rebuilt video");
    }
    out.write(reinterpret_cast<const char*>(movie.bytes.data()), static_cast<std::streamsize>(movie.bytes.size()));
    out.close();
    if (!out) {
        removeExistingOutput(job.output);
        throw RepairError::writeFailed("Could not write the rebuilt video.");
    }
    return shift;
}

// Decodes every frame of the output and counts the decoder's errors: a rebuilt index that points
// anywhere but at whole frames shows up as decode errors, which ffprobe's look at the container
// does not see.
std::size_t decodeErrors(const RepairJob& job) {
    const auto ffmpeg = toolPath("ffmpeg");
    if (!ffmpeg) throw RepairError::toolFailed("ffmpeg is required for MP4/MOV repair export in this build.");
    const CommandOutput decoded = job.run(*ffmpeg, {"-v", "error", "-i", job.output.string(), "-f", "null", "-"});
    std::size_t errors = 0;
    std::istringstream lines(decoded.stderrText);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) ++errors;
    return decoded.status == 0 ? errors : std::max<std::size_t>(errors, 1);
}

[[noreturn]] void refuseUncleanDecode(const RepairJob& job, std::size_t errors) {
    removeExistingOutput(job.output);
    throw RepairError::writeFailed("The rebuilt video did not decode cleanly (" + std::to_string(errors) +
                                   " decode errors), so it was not kept. Choose a healthy clip from the same camera, "
                                   "recorded with the same settings.");
}

// The source offset of the first kept sample that gave no decoded frame, read from ffprobe's
// list of frames: samples before a track's first frame (an encoder's priming the edit list
// skips) do not count. None when every sample gave a frame or ffprobe could not tell.
std::optional<std::uint64_t> firstUndecodedSample(const RepairJob& job, const MediaDataWalk& walk,
                                                  std::int64_t offsetShift) {
    const auto ffprobe = toolPath("ffprobe");
    if (!ffprobe) return std::nullopt;
    const CommandOutput listed =
        job.run(*ffprobe, {"-v", "error", "-show_entries", "frame=pkt_pos", "-of", "csv=p=0", job.output.string()});
    if (listed.status != 0) return std::nullopt;
    std::set<std::uint64_t> decoded;
    std::istringstream lines(listed.stdoutText);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0])))
            decoded.insert(std::strtoull(line.c_str(), nullptr, 10));
    std::optional<std::uint64_t> first;
    for (const auto& track : walk.tracks) {
        bool started = false;
        for (const auto& sample : track) {
            const bool gave =
                decoded.contains(static_cast<std::uint64_t>(static_cast<std::int64_t>(sample.offset) + offsetShift));
            if (gave) started = true;
            if (started && !gave) {
                if (!first || sample.offset < *first) first = sample.offset;
                break;
            }
        }
    }
    return first;
}

// The walk with every sample from end on left out, as if the recording stopped there.
MediaDataWalk endedAt(const MediaDataWalk& walk, std::uint64_t end) {
    MediaDataWalk shorter = walk;
    for (auto& track : shorter.tracks)
        std::erase_if(track, [end](const RecoveredSample& sample) { return sample.offset + sample.size > end; });
    shorter.cutOffset = end;
    return shorter;
}

struct WrittenCopy {
    MediaDataWalk kept;  // the walk, shortened when its last frames did not decode
    MovieBox movie;
    std::vector<std::string> warnings;
};

// Writes the copy, validates it and decodes every frame. Frames that do not decode near the end
// (damage in the last moments of a recording) cost the end of the copy rather than all of it: a
// copy ending before the first of them is written and checked once more.
WrittenCopy writeCheckedCopy(const RepairJob& job, const AtomByteReader& read, const ReferenceLayout& layout,
                             const MediaDataWalk& walk) {
    const auto fileType = fileTypeBox(read, layout);
    WrittenCopy copy{.kept = walk};
    std::int64_t shift = 0;
    auto writeAndCheck = [&] {
        shift = writeRebuilt(job, read, fileType, copy.kept, layout, copy.movie);
        job.report(RepairProgressStage::verifying, 0.86, "Verifying rebuilt video");
        copy.warnings = job.validated();
        job.report(RepairProgressStage::verifying, 0.92, "Decoding every frame of the rebuilt video");
        return decodeErrors(job);
    };
    const std::size_t errors = writeAndCheck();
    if (errors == 0) return copy;
    const auto undecoded = firstUndecodedSample(job, walk, shift);
    const std::uint64_t length = walk.cutOffset - walk.payloadStart;
    if (!undecoded || *undecoded - walk.payloadStart < length - length / 10) refuseUncleanDecode(job, errors);
    copy.kept = endedAt(walk, *undecoded);
    if (std::any_of(copy.kept.tracks.begin(), copy.kept.tracks.end(), [](const auto& track) { return track.empty(); }))
        refuseUncleanDecode(job, errors);
    if (const std::size_t left = writeAndCheck(); left > 0) refuseUncleanDecode(job, left);
    copy.warnings.insert(copy.warnings.begin(), "The frames from byte " + std::to_string(*undecoded) +
                                                    " on did not decode and were left out.");
    return copy;
}

void requireFittingWalk(const MediaDataWalk& walk) {
    const bool any =
        std::any_of(walk.tracks.begin(), walk.tracks.end(), [](const auto& track) { return !track.empty(); });
    if (!any)
        throw RepairError::noRecoverableContent(
            "No frames matching the reference clip were found in this file's media data. Choose a healthy clip "
            "from the same camera, recorded with the same settings.");
    const bool every =
        std::all_of(walk.tracks.begin(), walk.tracks.end(), [](const auto& track) { return !track.empty(); });
    if (walk.otherParameterSets || !every) throw RepairError::unsupported(otherSettings);
}

std::string formattedSeconds(double seconds) {
    std::ostringstream text;
    text.precision(2);
    text << std::fixed << seconds;
    return text.str();
}

// "Rebuilt the movie metadata from the reference clip: 52 video frames and 97 audio frames (2.08
// seconds) recovered; the recording ends at byte 81234."
std::string rebuildMessage(const ReferenceLayout& reference, const MovieBox& movie, const MediaDataWalk& walk) {
    std::uint64_t video = 0, audio = 0;
    double seconds = 0;
    for (std::size_t i = 0; i < reference.tracks.size(); ++i) {
        (reference.tracks[i].handler == "vide" ? video : audio) += movie.tracks[i].sampleCount;
        seconds = std::max(seconds, movie.tracks[i].seconds);
    }
    return "Rebuilt the movie metadata from the reference clip: " + std::to_string(video) + " video frames and " +
           std::to_string(audio) + " audio frames (" + formattedSeconds(seconds) +
           " seconds) recovered; the recording ends at byte " + std::to_string(walk.cutOffset) + ".";
}

}  // namespace

FileRepairOutcome repairWithReference(const FileRepairDiagnostic& diagnostic, const fs::path& reference,
                                      const fs::path& outputURL,
                                      const std::shared_ptr<RepairCancellationToken>& cancellationToken,
                                      const RepairProgress& progress) {
    const RepairJob job{diagnostic, outputURL, cancellationToken, progress};
    job.throwIfCancelled();
    if (diagnostic.kind != FileRepairKind::videoContainer)
        throw RepairError::unsupported("A reference clip can only rebuild MP4, MOV and M4V recordings.");
    preflightExport(diagnostic.sourceURL, outputURL, diagnostic.kind);
    job.report(RepairProgressStage::repairing, 0.08, "Reading the reference clip");
    const ReferenceLayout layout = readReferenceLayout(reference);

    std::ifstream source(job.source(), std::ios::binary);
    if (!source) throw RepairError::cannotRead("Tidewell could not read this file.");
    const AtomByteReader read = atomFileReader(source);  // the walk and the copy share it
    const auto end = static_cast<std::uint64_t>(logicalFileByteSize(job.source()));
    const auto payloadStart = mediaDataPayloadStart(read, end);
    if (!payloadStart) throw RepairError::noRecoverableContent("Media payload atom was not found.");

    job.report(RepairProgressStage::repairing, 0.12, "Finding frames in the media data");
    auto cancelled = [&job] { return job.token && job.token->isCancelled(); };
    auto walked = [&job](double fraction) {
        job.report(RepairProgressStage::repairing, 0.12 + 0.58 * fraction, "Finding frames in the media data");
    };
    const MediaDataWalk walk = walkMediaData(read, *payloadStart, end, layout, cancelled, walked);
    job.throwIfCancelled();
    requireFittingWalk(walk);

    WrittenCopy copy = writeCheckedCopy(job, read, layout, walk);
    std::vector<std::string>& warnings = copy.warnings;
    if (walk.cutOffset < walk.dataEnd)
        warnings.insert(warnings.begin(), "The recording stops at byte " + std::to_string(walk.cutOffset) +
                                              ": the bytes from there on hold no whole frame and were left out.");
    return job.outcome(rebuildMessage(layout, copy.movie, copy.kept), warnings);
}

}  // namespace tidewell::FileFirstAidEngine
