#include "cleanup/leftover_group.h"

#include <algorithm>

#include "cleanup/saturating_sum.h"
#include "cleanup/search_fields.h"
#include "util/byte_size_text.h"
#include "util/string_helpers.h"
#include "util/unicode_text.h"

namespace tidewell {

namespace {

// The key without ".plist", split at "." with empty pieces dropped.
std::vector<std::string> tokenPieces(const std::string& matchToken) {
    const std::string token = withoutPlistMarks(matchToken);
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= token.size()) {
        const std::size_t dot = std::min(token.find('.', start), token.size());
        if (dot > start) pieces.push_back(token.substr(start, dot - start));
        start = dot + 1;
    }
    return pieces;
}

bool isUUIDLike(const LeftoverGroup& group) {
    return tidewellLooksLikeUUID(group.name) || tidewellLooksLikeUUID(group.matchToken);
}

bool anyCandidate(const LeftoverGroup& group, CleanupSafetyLevel level) {
    return std::any_of(group.candidates.begin(), group.candidates.end(),
                       [&](const CleanupCandidate& candidate) { return candidate.safetyLevel == level; });
}

// Folders that may hold the user's own data rather than disposable files.
bool holdsUserData(CleanupCandidateKind kind) {
    return kind == CleanupCandidateKind::container || kind == CleanupCandidateKind::groupContainer ||
           kind == CleanupCandidateKind::applicationSupport;
}

}  // namespace

std::string withoutPlistMarks(std::string_view text) {
    std::string result(text);
    for (std::size_t found; (found = result.find(".plist")) != std::string::npos;) result.erase(found, 6);
    return result;
}

std::int64_t LeftoverGroup::totalBytes() const {
    std::int64_t total = 0;
    for (const CleanupCandidate& candidate : candidates) total = saturatingSum(total, candidate.sizeBytes);
    return total;
}

std::string LeftoverGroup::totalText() const {
    return tidewellString(totalBytes());
}

std::string LeftoverGroup::itemCountText() const {
    if (candidates.size() == 1) return "1 item";
    return std::to_string(candidates.size()) + " items";
}

std::string LeftoverGroup::riskText() const {
    if (anyCandidate(*this, CleanupSafetyLevel::review)) return "Review needed";
    if (anyCandidate(*this, CleanupSafetyLevel::likely)) return "Likely related";
    return "Safe match";
}

std::string LeftoverGroup::ownerText() const {
    if (isUUIDLike(*this)) return "Unknown container";
    const std::vector<std::string> pieces = tokenPieces(matchToken);
    if (pieces.size() < 2) return "Likely from " + name;
    if (lowercased(pieces[0]) == "com" && lowercased(pieces[1]) == "apple") return "Apple / macOS system component";
    return "Likely from " + tidewellDisplayName(pieces[1]);
}

std::string LeftoverGroup::sourceDetailText() const {
    if (isUUIDLike(*this)) return "UUID-style container name. Tidewell cannot identify the app owner.";
    if (matchToken.find('.') != std::string::npos) return "Bundle id: " + matchToken;
    return "Matched token: " + matchToken;
}

std::string LeftoverGroup::removalAdviceText() const {
    if (isUUIDLike(*this))
        return "Do not remove by default. The owner is unknown, and this may belong to a system extension, widget, "
               "or sandbox helper.";
    if (lowercased(matchToken).starts_with("com.apple."))
        return "Keep this unless you are troubleshooting that Apple feature. Small system containers usually "
               "recreate themselves.";
    if (std::any_of(candidates.begin(), candidates.end(),
                    [](const CleanupCandidate& candidate) { return holdsUserData(candidate.kind); }))
        return "Review contents first. This may include settings, local databases, login state, drafts, or "
               "user-created data.";
    return "Usually safe if you no longer use the related app, because this item is cache, preferences, or scripts.";
}

bool LeftoverGroup::matchesSearch(std::string_view query) const {
    return SearchMatcher::matches(query, searchFields(*this));
}

}  // namespace tidewell
