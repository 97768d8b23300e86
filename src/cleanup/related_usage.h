#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cleanup/cleanup_candidate.h"

namespace tidewell::AppScanner {

// The files around the user's Library that belong to one app.
struct RelatedUsage {
    std::int64_t cache = 0;
    std::int64_t support = 0;        // the bundle-identifier support folder
    std::int64_t supportReview = 0;  // the name-matched support folder
    std::int64_t preferences = 0;
    std::int64_t savedState = 0;
    std::int64_t logs = 0;
    std::vector<CleanupCandidate> candidates;

    std::int64_t total() const;

    bool operator==(const RelatedUsage&) const = default;
};

// Caches, support folders, preferences, saved state and logs of an app, each an
// exact path below the user's Library (never a walk of the whole Library). The
// empty usage for the unknown identifier.
RelatedUsage relatedUsage(const std::string& bundleID, const std::string& appName);

// Direct children of the logs folder whose names contain the identifier or the
// app name (ignoring case) and measure at least 1 byte.
std::vector<CleanupCandidate> matchingLogCandidates(const std::filesystem::path& folder, const std::string& bundleID,
                                                    const std::string& appName);

// Appends a selectable candidate for `url` when `size` > 0.
void appendCandidate(std::vector<CleanupCandidate>& candidates, CleanupCandidate::Kind kind, const std::string& label,
                     const std::filesystem::path& url, std::int64_t size, CleanupCandidate::SafetyLevel safetyLevel,
                     const std::string& evidence, bool defaultSelected, const std::string& note);

}  // namespace tidewell::AppScanner
