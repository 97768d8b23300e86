#include "recovery/deleted/deleted_scan_result.h"

#include "recovery/deleted/deleted_scan_progress.h"

namespace tidewell::FATDeletedRecoveryEngine {

ScanResult finishScan(WalkTotals totals, Report report, const ProgressCallback& progress) {
    std::vector<Candidate> candidates = std::move(totals.candidates);
    sortCandidates(candidates);
    if (progress) progress(1.0, scanFinishedText(candidates.size()));
    report.finishedAt = std::chrono::system_clock::now();
    report.directoriesChecked = static_cast<std::int64_t>(totals.visited.size());
    report.entriesChecked = totals.entriesChecked;
    report.candidatesFound = static_cast<std::int64_t>(candidates.size());
    report.skippedEntries = totals.skipped;
    return {std::move(candidates), report};
}

}  // namespace tidewell::FATDeletedRecoveryEngine
