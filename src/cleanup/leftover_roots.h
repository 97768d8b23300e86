#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "cleanup/cleanup_candidate.h"

namespace tidewell::AppScanner {

// A Library folder whose direct children may be what a deleted app left, with
// how cautiously an entry found there is treated.
struct LeftoverRoot {
    std::filesystem::path url;
    CleanupCandidate::Kind kind;
    std::string label;
    CleanupCandidate::SafetyLevel safetyLevel;
    bool defaultSelected;
    std::string note;
};

// Containers, Group Containers, Application Scripts, Caches, Application
// Support and Preferences of the user's Library, in that order.
std::vector<LeftoverRoot> leftoverRoots();

}  // namespace tidewell::AppScanner
