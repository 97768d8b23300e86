#include "recovery/deleted/deleted_scan_progress.h"

#include <algorithm>

namespace tidewell::FATDeletedRecoveryEngine {

double scanProgressFraction(std::size_t visited, std::size_t queued) {
    double denominator = static_cast<double>(std::max<std::size_t>(2, visited + queued + 1));
    return std::min(0.96, static_cast<double>(visited) / denominator);
}

std::string scanProgressText(std::size_t visited, std::size_t candidates) {
    return "Checked " + std::to_string(visited) + " directories \u00B7 found " + std::to_string(candidates) +
           " deleted entries";
}

std::string scanFinishedText(std::size_t candidates) {
    return "Found " + std::to_string(candidates) + " deleted-file candidates";
}

}  // namespace tidewell::FATDeletedRecoveryEngine
