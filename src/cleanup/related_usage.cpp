#include "cleanup/related_usage.h"

#include <optional>

#include "cleanup/folder_listing.h"
#include "cleanup/saturating_sum.h"
#include "cleanup/unknown_bundle_identifier.h"
#include "platform/disk_usage.h"
#include "platform/folder_locations.h"
#include "util/unicode_text.h"

namespace tidewell::AppScanner {

namespace fs = std::filesystem;
namespace folders = platform::FolderLocations;
using Kind = CleanupCandidate::Kind;
using Safety = CleanupCandidate::SafetyLevel;

namespace {

// `folder`/`name`, or none when the name (read from the app's own Info.plist)
// would climb out of the folder: "../../Documents" as an identifier must not
// turn the user's documents into a "cache".
std::optional<fs::path> exactPath(const fs::path& folder, const std::string& name) {
    if (!isPlainPathComponent(name)) return std::nullopt;
    return folder / name;
}

std::int64_t sizeOf(const std::optional<fs::path>& path) {
    return path ? platform::sizeIfExists(*path) : 0;
}

// Appends the candidate of one table row and returns its size.
std::int64_t appendRow(RelatedUsage& usage, Kind kind, const std::string& label, const std::optional<fs::path>& path,
                       Safety safety, const std::string& evidence, bool defaultSelected, const std::string& note) {
    const std::int64_t size = sizeOf(path);
    if (path) appendCandidate(usage.candidates, kind, label, *path, size, safety, evidence, defaultSelected, note);
    return size;
}

}  // namespace

std::int64_t RelatedUsage::total() const {
    std::int64_t sum = 0;
    for (std::int64_t part : {cache, support, supportReview, preferences, savedState, logs})
        sum = saturatingSum(sum, part);
    return sum;
}

void appendCandidate(std::vector<CleanupCandidate>& candidates, Kind kind, const std::string& label,
                     const fs::path& url, std::int64_t size, Safety safetyLevel, const std::string& evidence,
                     bool defaultSelected, const std::string& note) {
    if (size <= 0) return;
    const std::string path = url.string();
    candidates.push_back(
        CleanupCandidate{path, kind, label, path, size, safetyLevel, evidence, defaultSelected, true, note});
}

RelatedUsage relatedUsage(const std::string& bundleID, const std::string& appName) {
    RelatedUsage usage;
    if (bundleID == unknownBundleIdentifier) return usage;
    const auto cachePath = exactPath(folders::userCachesFolder(), bundleID);
    const auto supportPath = exactPath(folders::userApplicationSupportFolder(), bundleID);
    auto namedSupportPath = exactPath(folders::userApplicationSupportFolder(), appName);
    // An app named exactly like its identifier has one support folder, counted once.
    if (namedSupportPath == supportPath) namedSupportPath.reset();
    const auto preferencesPath = exactPath(folders::userPreferencesFolder(), bundleID + ".plist");
    const auto savedStatePath = exactPath(folders::userSavedApplicationStateFolder(), bundleID + ".savedState");

    usage.cache = appendRow(usage, Kind::cache, "Bundle cache", cachePath, Safety::safe, "Bundle ID exact cache path",
                            true, "High-confidence cache path.");
    usage.support = appendRow(usage, Kind::applicationSupport, "Bundle Application Support", supportPath,
                              Safety::review, "Bundle ID support path, may contain user data", false,
                              "May contain app data. Review before selecting.");
    usage.supportReview =
        appendRow(usage, Kind::applicationSupport, "Name-matched Application Support", namedSupportPath, Safety::review,
                  "Name match only", false, "Name match only. Review carefully.");
    usage.preferences = appendRow(usage, Kind::preferences, "Preferences", preferencesPath, Safety::safe,
                                  "Bundle ID exact preference file", true, "Bundle ID preference file.");
    usage.savedState = appendRow(usage, Kind::savedState, "Saved application state", savedStatePath, Safety::safe,
                                 "Bundle ID exact saved state path", true, "Restored window state.");

    for (CleanupCandidate& log : matchingLogCandidates(folders::userLogsFolder(), bundleID, appName)) {
        usage.logs = saturatingSum(usage.logs, log.sizeBytes);
        usage.candidates.push_back(std::move(log));
    }
    return usage;
}

std::vector<CleanupCandidate> matchingLogCandidates(const fs::path& folder, const std::string& bundleID,
                                                    const std::string& appName) {
    std::vector<CleanupCandidate> candidates;
    for (const fs::path& child : visibleChildren(folder)) {
        const std::string name = child.filename().string();
        const bool byID = containsIgnoringCase(name, bundleID);
        const bool byName = containsIgnoringCase(name, appName);
        if (!byID && !byName) continue;
        appendCandidate(candidates, Kind::logs, name, child, platform::directorySize(child),
                        byID ? Safety::likely : Safety::review, byID ? "Bundle ID log match" : "Name match only", byID,
                        byID ? "Bundle ID log match." : "Name-matched log. Review before selecting.");
    }
    return candidates;
}

}  // namespace tidewell::AppScanner
