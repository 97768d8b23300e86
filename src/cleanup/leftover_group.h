#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cleanup/cleanup_candidate.h"

namespace tidewell {

// What a deleted app (or vendor) left in the user's Library, one group per app.
struct LeftoverGroup {
    std::string id;  // the group key, same as matchToken
    std::string name;
    // A lower-cased bundle identifier, a normalised name token, or "cleanmymac" / "macpaw".
    std::string matchToken;
    std::vector<CleanupCandidate> candidates;  // largest first

    std::int64_t totalBytes() const;
    std::string totalText() const;
    // "1 item" or "<n> items".
    std::string itemCountText() const;
    // The most cautious level among the candidates, as its raw value.
    std::string riskText() const;
    std::string ownerText() const;
    std::string sourceDetailText() const;
    std::string removalAdviceText() const;
    bool matchesSearch(std::string_view query) const;

    bool operator==(const LeftoverGroup&) const = default;
};

// Bundle-like names are compared without their ".plist" marks, wherever they stand.
std::string withoutPlistMarks(std::string_view text);

}  // namespace tidewell
