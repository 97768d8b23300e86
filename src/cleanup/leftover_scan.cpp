#include "cleanup/leftover_scan.h"

#include <algorithm>
#include <array>
#include <map>

#include "cleanup/folder_listing.h"
#include "cleanup/installer_candidates.h"
#include "cleanup/leftover_roots.h"
#include "cleanup/unknown_bundle_identifier.h"
#include "platform/disk_usage.h"
#include "util/string_helpers.h"
#include "util/unicode_text.h"

namespace tidewell::AppScanner {

namespace fs = std::filesystem;

namespace {

// Names of one app family whose leftovers are grouped under a fixed key.
struct FixedKey {
    const char* key;
    const char* displayName;
    const char* evidence;
};
constexpr std::array<FixedKey, 2> fixedKeys{{
    {"cleanmymac", "CleanMyMac", "deleted app name CleanMyMac"},
    {"macpaw", "MacPaw", "deleted vendor name MacPaw"},
}};

struct Scan {
    std::set<std::string> installedBundleIDs;
    std::set<std::string> installedNameTokens;
    std::map<std::string, std::vector<CleanupCandidate>> candidates;
    std::map<std::string, std::string> displayNames;  // the first name seen per key

    void add(const LeftoverRoot& root, const fs::path& child) {
        const std::string name = child.filename().string();
        if (pathExtension(child) == "lockfile") return;
        const std::optional<LeftoverMatch> match = leftoverMatch(name, installedBundleIDs, installedNameTokens);
        if (!match) return;
        // Links are not followed and unreadable entries measure 0, so neither is offered.
        const std::int64_t size = platform::directorySize(child);
        if (size < 1) return;
        candidates[match->groupID].push_back(
            CleanupCandidate{child.string(), root.kind, name, child.string(), size, root.safetyLevel,
                             root.label + " name matches " + match->evidence, root.defaultSelected, true, root.note});
        displayNames.try_emplace(match->groupID, match->displayName);
    }

    std::vector<LeftoverGroup> groups() const { return leftoverGroups(candidates, displayNames); }
};

}  // namespace

std::vector<LeftoverGroup> scanLeftovers(const std::vector<AppInfo>& installedApps) {
    Scan scan;
    for (const AppInfo& app : installedApps) {
        if (app.bundleIdentifier != unknownBundleIdentifier)
            scan.installedBundleIDs.insert(lowercased(app.bundleIdentifier));
        std::string token = normalizedToken(app.name);
        if (!token.empty()) scan.installedNameTokens.insert(std::move(token));
    }
    for (const LeftoverRoot& root : leftoverRoots())
        for (const fs::path& child : visibleChildren(root.url)) scan.add(root, child);
    return scan.groups();
}

std::vector<LeftoverGroup> leftoverGroups(const std::map<std::string, std::vector<CleanupCandidate>>& candidates,
                                          const std::map<std::string, std::string>& displayNames) {
    std::vector<LeftoverGroup> result;
    for (const auto& [key, entries] : candidates) {
        if (entries.empty()) continue;
        const auto named = displayNames.find(key);
        LeftoverGroup group{key, named == displayNames.end() ? key : named->second, key, entries};
        std::stable_sort(group.candidates.begin(), group.candidates.end(),
                         [](const CleanupCandidate& left, const CleanupCandidate& right) {
                             return left.sizeBytes > right.sizeBytes;
                         });
        result.push_back(std::move(group));
    }
    std::stable_sort(result.begin(), result.end(), [](const LeftoverGroup& left, const LeftoverGroup& right) {
        if (left.totalBytes() != right.totalBytes()) return left.totalBytes() > right.totalBytes();
        return compareIgnoringCase(left.name, right.name) < 0;
    });
    return result;
}

std::optional<LeftoverMatch> leftoverMatch(std::string_view name, const std::set<std::string>& installedBundleIDs,
                                           const std::set<std::string>& installedNameTokens) {
    const std::string lower = lowercased(name);
    const std::string base = nameWithoutExtension(fs::path(std::string(name)).filename());
    if (tidewellLooksLikeUUID(base)) return std::nullopt;
    const std::string token = normalizedToken(base);
    const std::optional<std::string> bundleLike = bundleIdentifierCandidate(name);

    for (const FixedKey& fixed : fixedKeys) {
        if (lower.find(fixed.key) == std::string::npos) continue;
        if (installedNameTokens.contains(fixed.key)) return std::nullopt;
        return LeftoverMatch{fixed.key, fixed.displayName, fixed.evidence};
    }
    if (bundleLike) {
        std::string key = lowercased(*bundleLike);
        if (installedBundleIDs.contains(key)) return std::nullopt;
        std::string display = displayNameFromBundleLike(*bundleLike);
        if (installedNameTokens.contains(normalizedToken(display))) return std::nullopt;
        return LeftoverMatch{std::move(key), std::move(display), "deleted bundle id " + *bundleLike};
    }
    if (decodeUTF8(token).size() < 4 || installedNameTokens.contains(token) || !looksLikeAppLeftoverName(name))
        return std::nullopt;
    return LeftoverMatch{token, base, "deleted app name " + base};
}

std::optional<std::string> bundleIdentifierCandidate(std::string_view name) {
    if (std::count(name.begin(), name.end(), '.') < 2) return std::nullopt;
    const std::string lower = lowercased(name);
    constexpr std::array<std::string_view, 4> prefixes{"com.", "net.", "org.", "io."};
    if (std::none_of(prefixes.begin(), prefixes.end(),
                     [&](std::string_view prefix) { return lower.find(prefix) != std::string::npos; }))
        return std::nullopt;
    if (name.ends_with(".plist")) name.remove_suffix(6);
    return std::string(name);
}

std::string displayNameFromBundleLike(std::string_view bundleLike) {
    const std::string text = withoutPlistMarks(bundleLike);
    const std::size_t dot = text.rfind('.');
    const std::string last = dot == std::string::npos ? text : text.substr(dot + 1);
    return last.empty() ? text : tidewellDisplayName(last);
}

bool looksLikeAppLeftoverName(std::string_view name) {
    const std::string lower = lowercased(name);
    constexpr std::array<std::string_view, 9> hints{"cache",  "helper", "menu", "monitor", "cleanmymac",
                                                    "macpaw", ".",      "-",    "_"};
    return std::any_of(hints.begin(), hints.end(),
                       [&](std::string_view hint) { return lower.find(hint) != std::string::npos; });
}

}  // namespace tidewell::AppScanner
