#pragma once

#include <cstddef>
#include <string>

namespace tidewell::FATDeletedRecoveryEngine {

// Progress of the directory walk: min(0.96, visited ÷ max(2, visited + queued + 1)).
double scanProgressFraction(std::size_t visited, std::size_t queued);
// "Checked 3 directories · found 2 deleted entries".
std::string scanProgressText(std::size_t visited, std::size_t candidates);
// "Found 2 deleted-file candidates".
std::string scanFinishedText(std::size_t candidates);

}  // namespace tidewell::FATDeletedRecoveryEngine
