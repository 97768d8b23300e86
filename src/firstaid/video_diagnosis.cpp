#include <algorithm>
#include <fstream>

#include "firstaid/file_first_aid_engine.h"
#include "firstaid/media_container.h"
#include "firstaid/media_data_walk.h"
#include "firstaid/tool_runs.h"
#include "util/byte_size_text.h"
#include "util/text_helpers.h"

namespace tidewell::FileFirstAidEngine {

namespace {

const AtomRecord* firstAtom(const std::vector<AtomRecord>& atoms, std::string_view type) {
    auto found = std::find_if(atoms.begin(), atoms.end(), [&](const AtomRecord& atom) { return atom.type == type; });
    return found == atoms.end() ? nullptr : &*found;
}

// A cut-off recording's mdat header may claim bytes that were never written, so the top-level
// walk drops it; the media data is looked for by its header alone. Its first sample may be
// video or sound.
bool holdsRecognisableSamples(const std::filesystem::path& url) {
    constexpr std::size_t sampled = 64 * 1024;
    const auto start = mediaDataPayloadStart(url);
    if (!start) return false;
    std::ifstream file(url, std::ios::binary);
    std::vector<std::uint8_t> bytes(sampled);
    file.seekg(static_cast<std::streamoff>(*start));
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    return looksLikeVideoSamples(bytes) || looksLikeAudioFrames(bytes);
}

}  // namespace

FileRepairDiagnostic diagnoseVideo(const std::filesystem::path& url, std::int64_t sizeBytes) {
    const auto atoms = parseTopLevelAtoms(url);
    const bool ffmpeg = toolPath("ffmpeg").has_value();
    const AtomRecord* ftyp = firstAtom(atoms, "ftyp");
    const AtomRecord* moov = firstAtom(atoms, "moov");
    const AtomRecord* mdat = firstAtom(atoms, "mdat");

    auto diagnostic = startDiagnostic(url, FileRepairKind::videoContainer, sizeBytes);
    auto& findings = diagnostic.findings;
    findings.push_back(
        ftyp ? RepairFinding("ftyp atom", "Container brand atom found.", RepairFindingLevel::ok)
             : RepairFinding("ftyp atom", "No ftyp atom found near the top-level scan.", RepairFindingLevel::failed));
    findings.push_back(
        moov ? RepairFinding("moov atom", "Movie metadata atom found at byte " + std::to_string(moov->offset) + ".",
                             RepairFindingLevel::ok)
             : RepairFinding("moov atom", "Movie metadata atom was not found. Simple remux may not be enough.",
                             RepairFindingLevel::failed));
    findings.push_back(
        mdat ? RepairFinding("mdat atom", "Media data atom found at byte " + std::to_string(mdat->offset) + ".",
                             RepairFindingLevel::ok)
             : RepairFinding("mdat atom", "Media payload atom was not found.", RepairFindingLevel::failed));
    findings.push_back(
        ffmpeg ? RepairFinding("ffmpeg remux", "ffmpeg is available for stream-copy repair.", RepairFindingLevel::ok)
               : RepairFinding("ffmpeg remux",
                               "ffmpeg was not found. Video repair export is unavailable until it is "
                               "bundled or installed.",
                               RepairFindingLevel::warning));
    diagnostic.canAttemptRepair = ftyp && moov && mdat && ffmpeg;
    const bool rebuildable = !moov && ffmpeg && holdsRecognisableSamples(url);
    diagnostic.recommendedAction =
        diagnostic.canAttemptRepair ? "Export a remuxed copy with stream copy and faststart metadata."
        : rebuildable               ? referenceRepairAction
                                    : "This build can diagnose the container, but repair needs ftyp, moov, "
                                      "mdat, and ffmpeg.";
    diagnostic.previewItems = videoPreviewItems(atoms, ffmpeg);
    return diagnostic;
}

std::vector<RepairPreviewItem> videoPreviewItems(const std::vector<AtomRecord>& atoms, bool ffmpegAvailable) {
    std::vector<std::string> types;
    for (std::size_t i = 0; i < std::min<std::size_t>(atoms.size(), 10); ++i) types.push_back(atoms[i].type);
    std::vector<RepairPreviewItem> items;
    items.emplace_back("Top-level atoms", types.empty() ? "No atoms found" : text_helpers::joined(types, ", "),
                       "film.stack");
    items.emplace_back("Repair method", ffmpegAvailable ? "ffmpeg stream-copy remux" : "ffmpeg unavailable",
                       "arrow.triangle.2.circlepath");
    for (std::size_t i = 0; i < std::min<std::size_t>(atoms.size(), 6); ++i) {
        const auto& atom = atoms[i];
        items.emplace_back(
            atom.type,
            "Offset " + std::to_string(atom.offset) + ", size " + tidewellString(static_cast<std::int64_t>(atom.size)),
            "cube");
    }
    return items;
}

}  // namespace tidewell::FileFirstAidEngine
