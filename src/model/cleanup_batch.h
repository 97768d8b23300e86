#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cleanup/cleanup_candidate.h"
#include "model/action_result_kind.h"

namespace tidewell {

// What one cleanup batch moved and could not move, gathered while it runs.
struct CleanupBatch {
    std::vector<std::string> moved;   // the labels (or names) of the items moved
    std::vector<std::string> failed;  // "<label>: <error description>"
    std::int64_t recoveredBytes = 0;

    void addMoved(const std::string& label, std::int64_t sizeBytes);
    void addFailure(const std::string& label, const std::string& description);
    // Runs `move` and records the item as moved, or as failed with the error's description.
    // True when it moved.
    bool attempt(const std::string& label, std::int64_t sizeBytes, const std::function<void()>& move);

    // Success when everything moved, warning when some failed, failure when nothing moved.
    ActionResultKind resultKind() const;
    // `summary`, then a line feed, "Failed: " and the failures joined by " | " when any failed.
    std::string message(const std::string& summary) const;
};

// What a cleanup plan did on its worker: nothing when the safety policy accepted none of
// its items, nothing but the quit failure when the app would not quit, else its batch.
struct CleanupPlanRun {
    bool nothingAccepted = false;
    std::optional<std::string> quitFailure;
    CleanupBatch batch;
    bool movedOwnBundle = false;  // this application's own bundle is in the Trash now
};

// Startup items first (so they are unloaded before their files move), the bundle last.
int cleanupMovePriority(const CleanupCandidate& candidate);

// `prefix`, the texts joined by ", ", and ".".
std::string joinedSentence(const std::string& prefix, const std::vector<std::string>& texts);

}  // namespace tidewell
