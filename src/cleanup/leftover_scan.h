#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cleanup/app_info.h"
#include "cleanup/leftover_group.h"

namespace tidewell::AppScanner {

// What the user's Library still holds of apps that are no longer installed,
// grouped per app, largest group first. Only direct children of the leftover
// roots are looked at by name; nothing is changed on disk.
std::vector<LeftoverGroup> scanLeftovers(const std::vector<AppInfo>& installedApps);

struct LeftoverMatch {
    std::string groupID;
    std::string displayName;
    std::string evidence;

    bool operator==(const LeftoverMatch&) const = default;
};

// The group an entry name points to, unless it could belong to anything
// (UUID-style), belongs to an installed app, or does not look like an app's.
std::optional<LeftoverMatch> leftoverMatch(std::string_view name, const std::set<std::string>& installedBundleIDs,
                                           const std::set<std::string>& installedNameTokens);

// One group per key (named by its first recorded display name, else the key), candidates
// largest first; groups without candidates dropped; groups largest first, then by name
// ignoring case.
std::vector<LeftoverGroup> leftoverGroups(const std::map<std::string, std::vector<CleanupCandidate>>& candidates,
                                          const std::map<std::string, std::string>& displayNames);

// "com.example.tool.plist" reads "com.example.tool"; none unless the name has
// three "."-separated pieces and a reverse-domain prefix.
std::optional<std::string> bundleIdentifierCandidate(std::string_view name);
// "com.example.my-tool" reads "My Tool".
std::string displayNameFromBundleLike(std::string_view bundleLike);
bool looksLikeAppLeftoverName(std::string_view name);

}  // namespace tidewell::AppScanner
