#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "recovery/readable/external_recovery_engine.h"

namespace tidewell {

struct ReadableWalkLimits {
    std::int64_t maximumCandidateCount;
    std::int64_t maximumVisitedItems;
};

struct ReadableWalkResult {
    std::vector<RecoveryCandidate> candidates;  // in walk order
    std::int64_t visited = 0;
    std::int64_t skipped = 0;
    bool limitReached = false;
};

// The readable scan's walk below `root`, depth first in directory order.
// Hidden entries are never visited and package insides never entered;
// symbolic links are counted as skipped and never followed; at most one
// statx per entry, only where the directory entry's type does not settle the
// rules. Throws RecoveryError::cancelled when the token fires. None when the
// root itself cannot be read.
std::optional<ReadableWalkResult> walkReadableTree(const std::string& root, const ExternalRecoveryEngine::Token& token,
                                                   const ProgressCallback& progress, ReadableWalkLimits limits);

}  // namespace tidewell
