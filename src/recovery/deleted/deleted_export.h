#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "recovery/deleted/deleted_candidate.h"
#include "recovery/deleted/deleted_export_report.h"
#include "recovery/deleted/raw_reader.h"
#include "recovery/readable/external_recovery_volume.h"
#include "recovery/readable/recovery_cancellation_token.h"
#include "util/progress.h"

// The export steps both deleted-file engines share; each engine brings its
// own cluster arithmetic and texts.
namespace tidewell::FATDeletedRecoveryEngine {

// Byte offset of a data cluster on the source.
using ClusterOffset = std::function<std::int64_t(std::uint32_t cluster)>;

// Throws unavailableSource (no device identifier) or unsafeDestination (the
// destination is the volume's mount path or lies below it).
void checkLiveExportDestination(const ExternalRecoveryVolume& volume, const std::filesystem::path& destination);

// Where an export puts each file inside its folder, and what the report says
// of it. Empty: every file in the export folder itself, no line of its own.
struct ExportPlacement {
    // Relative to the export folder; an empty path is the folder itself.
    std::function<std::filesystem::path(const Candidate&)> subfolder;
    // A line of the report for a written file, given its path inside the export folder.
    std::function<std::optional<std::string>(const Candidate&, const std::filesystem::path&)> reportLine;
};

// Creates the export folder, copies every candidate whose run is wholly free,
// collects skip and failure warnings, writes the report (its failure is
// ignored) and returns the files written, in candidate order. `naming` picks
// the names of the files and of the report's lines.
std::vector<std::filesystem::path> exportCandidateRuns(
    const std::vector<Candidate>& candidates, const RawReader& reader, const ClusterOffset& clusterOffset,
    const std::string& sourceName, const std::filesystem::path& destination, const ExportTexts& texts,
    const RecoveryCancellationToken* cancellationToken, const ProgressCallback& progress,
    ExportNaming naming = ExportNaming::entryName, const ExportPlacement& placement = {});

// The contiguous assumption: sizeBytes bytes from the start cluster onwards,
// streamed in chunks of at most exportReadChunk into a new file at `target`.
void copyCandidate(const Candidate& candidate, std::int64_t startOffset, const RawReader& reader,
                   const std::filesystem::path& target, const RecoveryCancellationToken* cancellationToken);

}  // namespace tidewell::FATDeletedRecoveryEngine
