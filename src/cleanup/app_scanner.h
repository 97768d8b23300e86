#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cleanup/app_info.h"
#include "cleanup/related_usage.h"
#include "platform/app_bundle.h"
#include "platform/disk_usage.h"
#include "platform/running_processes.h"

namespace tidewell::AppScanner {

// The installed apps: direct ".app" children of "/Applications",
// Home/Applications and "/System/Applications" (in that order, each bundle
// once), unprotected apps first, then by name ignoring case. Without
// `includePermissionSensitive` the user's Library, Downloads and the launch
// folders are never read: related sizes are 0, installers and startup items
// empty. Reads only; never fails (unreadable parts fall back to defaults).
std::vector<AppInfo> scan(bool includePermissionSensitive = false);

// The inventory's order: an unprotected app before a protected one, then by name ignoring case.
bool sortsBefore(const AppInfo& left, const AppInfo& right);

// Copies the related sizes onto the app (the total and each category).
void applyRelatedUsage(AppInfo& app, const RelatedUsage& related);

// The app a ".app" link points to, when it is a link to an existing ".app"
// folder; otherwise `url` itself (a dangling link stands for itself).
std::filesystem::path resolvedAppURL(const std::filesystem::path& url);

// "CFBundleDisplayName", else "CFBundleName", else the file name without extension.
std::string displayName(const std::filesystem::path& url, const platform::AppBundle* bundle);

// The user's running processes, taken once per pass.
std::vector<platform::RunningProcess> runningProcessSnapshot();
std::int64_t residentMemory(std::int32_t pid);

// Resident bytes of the processes whose executable path begins with the
// bundle path (plain text prefix) or equals the bundle's executable.
std::int64_t memoryForApp(const std::string& bundlePath, const std::optional<std::string>& executablePath,
                          const std::vector<platform::RunningProcess>& running);

struct UsageDates {
    std::optional<std::chrono::system_clock::time_point> lastUsed;   // last access
    std::optional<std::chrono::system_clock::time_point> installed;  // creation, added or modification
};
UsageDates usageDates(const std::filesystem::path& url);

using platform::directorySize;
using platform::fileSize;
using platform::sizeIfExists;

}  // namespace tidewell::AppScanner
