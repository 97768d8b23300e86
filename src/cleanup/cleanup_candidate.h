#pragma once

#include <cstdint>
#include <string>

#include "cleanup/cleanup_candidate_kind.h"
#include "cleanup/cleanup_safety_level.h"
#include "cleanup/removal_route.h"

namespace tidewell {

// One item an uninstall (or leftover cleanup) could take away: to the Trash, unless its route
// names another way.
struct CleanupCandidate {
    using Kind = CleanupCandidateKind;
    using SafetyLevel = CleanupSafetyLevel;

    std::string id;  // the item's absolute path
    Kind kind = Kind::appBundle;
    std::string label;
    std::string path;
    std::int64_t sizeBytes = 0;  // allocated bytes
    SafetyLevel safetyLevel = SafetyLevel::review;
    std::string evidence;  // why the item is tied to the app
    bool defaultSelected = false;
    bool isSelectable = false;
    std::string note;
    RemovalRoute route = RemovalRoute::trash;

    std::string sizeText() const;

    bool operator==(const CleanupCandidate&) const = default;
};

}  // namespace tidewell
