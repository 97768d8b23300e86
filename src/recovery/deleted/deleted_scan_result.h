#pragma once

#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

#include "recovery/deleted/deleted_candidate.h"
#include "recovery/deleted/deleted_scan_report.h"
#include "util/progress.h"

namespace tidewell::FATDeletedRecoveryEngine {

using ScanResult = std::pair<std::vector<Candidate>, Report>;

// What a directory walk found and examined.
struct WalkTotals {
    std::vector<Candidate> candidates;
    std::unordered_set<std::uint32_t> visited;  // directory clusters
    std::int64_t entriesChecked = 0;
    std::int64_t skipped = 0;
};

// Sorts the candidates, reports the total, and completes the report begun
// when the scan started.
ScanResult finishScan(WalkTotals totals, Report report, const ProgressCallback& progress);

}  // namespace tidewell::FATDeletedRecoveryEngine
