#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cleanup/cleanup_candidate.h"
#include "cleanup/launch_agent_info.h"
#include "cleanup/usage_summary.h"

namespace tidewell {

// One installed application as the inventory saw it: a snapshot, not refreshed.
struct AppInfo {
    std::string id;  // the bundle's absolute path, links resolved
    std::string name;
    std::string bundleIdentifier;  // or "Unknown Bundle ID"
    std::string version;           // or "-"
    std::string path;
    std::int64_t sizeBytes = 0;     // allocated size of the bundle
    std::int64_t relatedBytes = 0;  // every related-file category together
    std::int64_t cacheBytes = 0;
    std::int64_t supportBytes = 0;  // the bundle-identifier support folder only
    std::int64_t preferenceBytes = 0;
    std::int64_t savedStateBytes = 0;
    std::int64_t logBytes = 0;
    std::int64_t installerBytes = 0;
    std::int64_t installerCount = 0;
    std::int64_t memoryBytes = 0;  // resident memory of its running processes
    std::optional<std::chrono::system_clock::time_point> lastUsedDate;
    std::optional<std::chrono::system_clock::time_point> installedDate;
    bool isRunning = false;
    bool isProtected = false;
    std::vector<LaunchAgentInfo> launchAgents;
    std::vector<CleanupCandidate> cleanupCandidates;
    // The bundle's icon file, which the views draw at 28 x 28; none when the bundle names none.
    std::optional<std::filesystem::path> icon;
    // Where the app came from when its layout knows several ("Flatpak", "Snap", "AppImage",
    // "Debian package", "Local"); empty for an ".app" bundle.
    std::string origin;

    std::int64_t totalDiskBytes() const;
    std::string sizeText() const;
    std::string totalDiskText() const;
    std::string relatedText() const;
    std::string installerText() const;
    std::string memoryText() const;
    std::string lastUsedText(std::chrono::system_clock::time_point now = std::chrono::system_clock::now()) const;
    std::string statusText() const;
    UsageSummary usageSummary(std::chrono::system_clock::time_point now = std::chrono::system_clock::now()) const;

    bool operator==(const AppInfo&) const = default;
};

}  // namespace tidewell
