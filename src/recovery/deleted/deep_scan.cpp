#include "recovery/deleted/deep_scan.h"

#include <algorithm>
#include <limits>

#include "recovery/deleted/carving/carved_naming.h"
#include "recovery/deleted/carving/file_carver.h"
#include "recovery/deleted/recovered_names.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell::DeepScan {

namespace {

// A safe file name for one part of a rebuilt path: never empty, never "." or "..".
std::string safePart(const std::string& part) {
    std::string safe = FATDeletedRecoveryEngine::safeFilename(part);
    return safe == "." || safe == ".." ? "-" : safe;
}

// The parts of `runs` whose clusters `isInUse` calls free.
std::vector<ClusterRun> freeParts(const std::vector<ClusterRun>& runs,
                                  const std::function<bool(std::uint32_t)>& isInUse) {
    std::vector<ClusterRun> free;
    for (const ClusterRun& run : runs) {
        std::int64_t start = run.first;
        const std::int64_t end = run.first + run.count;
        for (std::int64_t cluster = run.first; cluster <= end; ++cluster) {
            if (cluster < end && !isInUse(static_cast<std::uint32_t>(cluster))) continue;
            if (cluster > start) free.push_back({static_cast<std::uint32_t>(start), cluster - start});
            start = cluster + 1;
        }
    }
    return free;
}

}  // namespace

std::vector<Candidate> Result::candidates() const {
    std::vector<Candidate> all = foundFolderCandidates;
    all.insert(all.end(), carvedCandidates.begin(), carvedCandidates.end());
    return all;
}

std::vector<ClusterRun> unclaimedRuns(const OrphanFolderRecovery::Result& found) {
    if (!found.geometry) return {};
    const OrphanFolderRecovery::Geometry& geometry = *found.geometry;
    // Half-open cluster ranges the found records account for.
    std::vector<std::pair<std::int64_t, std::int64_t>> claimed;
    for (const auto& folder : found.folders) claimed.emplace_back(folder.cluster, std::int64_t(folder.cluster) + 1);
    for (const Candidate& candidate : found.candidates)
        claimed.emplace_back(candidate.startCluster, std::int64_t(candidate.startCluster) + candidate.clustersRequired);
    std::sort(claimed.begin(), claimed.end());
    std::vector<ClusterRun> runs;
    std::int64_t next = 2;
    const std::int64_t end = geometry.clusterCount + 2;
    auto addRun = [&](std::int64_t upTo) {
        upTo = std::min(upTo, end);
        if (upTo > next) runs.push_back({static_cast<std::uint32_t>(next), upTo - next});
    };
    for (const auto& [first, last] : claimed) {
        addRun(first);
        next = std::max(next, last);
    }
    addRun(end);
    return found.isInUse ? freeParts(runs, found.isInUse) : runs;
}

namespace {

// A carved file as a candidate: graded by what checked it, exported from where it starts.
// A partial file is listed with its problem but never exported as whole.
Candidate carvedCandidate(const FileCarving::CarvedFile& file, std::int64_t clusterSize,
                          const std::string& sourceFormat) {
    Candidate candidate;
    candidate.name = FileCarving::carvedFileName(file);
    candidate.id = "carved#" + std::to_string(file.startOffset) + "#" + std::to_string(file.startCluster) + "#" +
                   std::to_string(file.length);
    candidate.kind = RecoveryCandidateKinds::detect(candidate.name);
    candidate.sizeBytes = file.length;
    candidate.startCluster = file.startCluster;
    candidate.clustersRequired = clusterSize > 0 ? (file.length + clusterSize - 1) / clusterSize : 0;
    candidate.signature = file.kind;
    candidate.carved = true;
    candidate.runOffset = file.startOffset;
    candidate.sourceFormat = sourceFormat;
    candidate.directoryLocation = std::string(carvedFilesRoot) + "/" + FileCarving::carvedKindFolder(file);
    switch (file.status) {
        case FileCarving::CarvedStatus::good:
            candidate.confidence = DeletedRecovery::Confidence::high;
            candidate.contentIsValidated = true;
            candidate.isContiguousAndFree = true;
            break;
        case FileCarving::CarvedStatus::unvalidated:
            candidate.confidence = DeletedRecovery::Confidence::medium;
            candidate.isContiguousAndFree = true;
            break;
        case FileCarving::CarvedStatus::partial:
            candidate.confidence = DeletedRecovery::Confidence::low;
            break;
    }
    return candidate;
}

}  // namespace

std::vector<Candidate> carveUnclaimedRuns(const RawReader& reader, const OrphanFolderRecovery::Geometry& geometry,
                                          const std::vector<ClusterRun>& runs,
                                          const RecoveryCancellationToken* cancellationToken,
                                          const ProgressCallback& progress, const std::string& sourceFormat,
                                          const FileCarving::ContentValidator& otherKinds,
                                          const FileCarving::SignatureStarts* seen) {
    DeletedRecovery::throwIfCancelled(cancellationToken);
    const FileCarving::ClusterGeometry clusters{
        .heapOffset = geometry.dataOffset, .clusterSize = geometry.bytesPerCluster, .firstCluster = 2};
    std::vector<FileCarving::ClusterRun> carverRuns;
    for (const ClusterRun& run : runs) {
        if (run.first < clusters.firstCluster || run.count <= 0) continue;
        const std::int64_t count = std::min<std::int64_t>(run.count, std::numeric_limits<std::uint32_t>::max());
        carverRuns.push_back({.first = run.first, .count = static_cast<std::uint32_t>(count)});
    }
    // Images are checked by decoding them here; other kinds by the caller's checks, if any.
    const FileCarving::CarvingResult carved = FileCarving::carve(
        reader, clusters, carverRuns, {.validator = FileCarving::combinedValidator(otherKinds), .seen = seen},
        cancellationToken, progress);
    std::vector<Candidate> candidates;
    for (const FileCarving::CarvedFile& file : carved.files)
        candidates.push_back(carvedCandidate(file, geometry.bytesPerCluster, sourceFormat));
    return candidates;
}

std::string foundText(std::size_t files, std::size_t folders) {
    return "Found " + std::to_string(files) + " files in " + std::to_string(folders) + " folders";
}

std::string carvedText(std::size_t files) {
    return "Carved " + std::to_string(files) + " files";
}

Result scan(const RawReader& reader, const std::string& sourceName, const RecoveryCancellationToken* cancellationToken,
            const ProgressCallback& progress, const FileCarving::ContentValidator& otherKinds) {
    // The folder search reports up to 1.0; it takes the first 80% here.
    ProgressCallback searching;
    if (progress)
        searching = [&progress](double fraction, const std::string& line) {
            if (fraction < 1.0) progress(0.8 * fraction, line);
        };
    // The search reads the whole data area once; the carver takes from it where files start.
    FileCarving::SignatureStarts seen;
    OrphanFolderRecovery::Result found = OrphanFolderRecovery::scan(
        reader, sourceName, cancellationToken, searching,
        [&seen](std::int64_t offset, std::span<const std::uint8_t> bytes) { seen.see(offset, bytes); });
    const std::string foundSoFar = foundText(found.candidates.size(), found.folders.size());
    if (progress) progress(0.8, foundSoFar);

    Result result;
    if (found.geometry)
        result.carvedCandidates = carveUnclaimedRuns(
            reader, *found.geometry, unclaimedRuns(found), cancellationToken,
            // The carver's running count by kind, after what the folders gave.
            [&progress, &foundSoFar](double fraction, const std::string& line) {
                if (progress) progress(0.8 + 0.2 * fraction, foundSoFar + " \u00B7 " + line);
            },
            found.sourceFormat, otherKinds, &seen);
    DeletedRecovery::sortCandidates(result.carvedCandidates);
    result.foundFolderCandidates = std::move(found.candidates);
    result.folders = std::move(found.folders);
    result.report = found.report;
    result.report.candidatesFound =
        static_cast<std::int64_t>(result.foundFolderCandidates.size() + result.carvedCandidates.size());
    std::string finished = foundSoFar;
    if (!result.carvedCandidates.empty()) finished += " \u00B7 " + carvedText(result.carvedCandidates.size());
    if (progress) progress(1.0, finished);
    return result;
}

std::filesystem::path exportSubfolder(const Candidate& candidate) {
    std::filesystem::path folder;
    // A carved file's location names its format's folder ("Carved files/JPEG").
    if (!candidate.fromFoundFolder && !candidate.carved)
        return folder / carvedFilesRoot / safePart(RecoveryCandidateKinds::rawValue(candidate.kind));
    std::string_view rest = candidate.directoryLocation;
    while (!rest.empty()) {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        if (!part.empty()) folder /= safePart(std::string(part));
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    }
    return folder;
}

std::vector<std::filesystem::path> exportCandidates(const std::vector<Candidate>& candidates, const RawReader& reader,
                                                    const std::string& sourceName,
                                                    const std::filesystem::path& destination,
                                                    const RecoveryCancellationToken* cancellationToken,
                                                    const ProgressCallback& progress) {
    FATDeletedRecoveryEngine::ExportPlacement placement{
        .subfolder = exportSubfolder,
        .reportLine = [](const Candidate& candidate,
                         const std::filesystem::path& written) -> std::optional<std::string> {
            if (candidate.fromFoundFolder) return "Named from a found folder: " + written.generic_string();
            return "Carved from its contents: " + written.generic_string();
        },
    };
    return OrphanFolderRecovery::exportCandidates(candidates, reader, sourceName, destination, cancellationToken,
                                                  progress, placement);
}

}  // namespace tidewell::DeepScan
