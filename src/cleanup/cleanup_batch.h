#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cleanup/cleanup_candidate.h"

namespace tidewell {

// What one cleanup batch took away and could not take away, gathered while it runs.
struct CleanupBatch {
    std::vector<std::string> moved;   // the labels (or names) of the items done
    std::vector<std::string> failed;  // "<label>: <error description>"
    std::int64_t recoveredBytes = 0;

    void addMoved(const std::string& label, std::int64_t sizeBytes);
    void addFailure(const std::string& label, const std::string& description);
    // Runs `move` and records the item as done, or as failed with the error's description.
    // True when it was done.
    bool attempt(const std::string& label, std::int64_t sizeBytes, const std::function<void()>& move);

    // `summary`, then a line feed, "Failed: " and the failures joined by " | " when any failed.
    std::string message(const std::string& summary) const;
};

// Startup items first (switched off before their files move), then what a package manager
// removes, the related rows, the menu links, and a bundle that goes to the Trash last.
int cleanupMovePriority(const CleanupCandidate& candidate);

// `prefix`, the texts joined by ", ", and ".".
std::string joinedSentence(const std::string& prefix, const std::vector<std::string>& texts);

}  // namespace tidewell
