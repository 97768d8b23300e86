#include <cstring>
#include <fstream>
#include <sstream>

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

// Reads [offset, offset + size) of an open file; the walk and the copy share it.
AtomByteReader fileReader(std::ifstream& file) {
    return [&file](std::uint64_t offset, std::span<std::uint8_t> buffer) -> std::size_t {
        file.clear();
        file.seekg(static_cast<std::streamoff>(offset));
        file.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
        return static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0));
    };
}

// The source's own ftyp box when it opens the file, else the reference's.
std::vector<std::uint8_t> fileTypeBox(const AtomByteReader& read, const ReferenceLayout& reference) {
    std::array<std::uint8_t, 8> header{};
    if (read(0, header) == header.size() && std::memcmp(header.data() + 4, "ftyp", 4) == 0) {
        const std::uint32_t size = (std::uint32_t{header[0]} << 24) | (std::uint32_t{header[1]} << 16) |
                                   (std::uint32_t{header[2]} << 8) | header[3];
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

void writeRebuilt(const RepairJob& job, const AtomByteReader& read, const std::vector<std::uint8_t>& fileType,
                  const MediaDataWalk& walk, const ReferenceLayout& reference, MovieBox& movie) {
    const std::uint64_t payloadSize = walk.cutOffset - walk.payloadStart;
    const auto header = mediaDataHeader(payloadSize);
    const auto newPayloadStart = static_cast<std::int64_t>(fileType.size() + header.size());
    movie = buildMovieBox(reference, walk, newPayloadStart - static_cast<std::int64_t>(walk.payloadStart));
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
}

// Decodes every frame of the output: a rebuilt index that points anywhere but at whole frames
// shows up as decode errors, which ffprobe's look at the container does not see.
void requireCleanDecode(const RepairJob& job) {
    const auto ffmpeg = toolPath("ffmpeg");
    if (!ffmpeg) throw RepairError::toolFailed("ffmpeg is required for MP4/MOV repair export in this build.");
    const CommandOutput decoded = job.run(*ffmpeg, {"-v", "error", "-i", job.output.string(), "-f", "null", "-"});
    std::size_t errors = 0;
    std::istringstream lines(decoded.stderrText);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) ++errors;
    if (decoded.status == 0 && errors == 0) return;
    removeExistingOutput(job.output);
    throw RepairError::writeFailed("The rebuilt video did not decode cleanly (" +
                                   std::to_string(std::max<std::size_t>(errors, 1)) +
                                   " decode errors), so it was not kept. Choose a healthy clip from the same camera, "
                                   "recorded with the same settings.");
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
    const AtomByteReader read = fileReader(source);
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

    MovieBox movie;
    writeRebuilt(job, read, fileTypeBox(read, layout), walk, layout, movie);
    job.report(RepairProgressStage::verifying, 0.86, "Verifying rebuilt video");
    std::vector<std::string> warnings = job.validated();
    job.report(RepairProgressStage::verifying, 0.92, "Decoding every frame of the rebuilt video");
    requireCleanDecode(job);
    if (walk.cutOffset < walk.dataEnd)
        warnings.insert(warnings.begin(), "The recording stops at byte " + std::to_string(walk.cutOffset) +
                                              ": the bytes from there on hold no whole frame and were left out.");
    return job.outcome(rebuildMessage(layout, movie, walk), warnings);
}

}  // namespace tidewell::FileFirstAidEngine
