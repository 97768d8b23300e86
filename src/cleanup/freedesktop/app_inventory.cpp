#include "cleanup/freedesktop/app_inventory.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "cleanup/app_scanner.h"
#include "cleanup/cleanup_candidates.h"
#include "cleanup/freedesktop/installed_software.h"
#include "cleanup/freedesktop/linux_installers.h"
#include "cleanup/freedesktop/related_files.h"
#include "cleanup/freedesktop/startup_entries.h"
#include "cleanup/saturating_sum.h"
#include "platform/file_properties.h"
#include "platform/xdg_folders.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;
using TimePoint = std::chrono::system_clock::time_point;

namespace {

void keepNewest(std::optional<TimePoint>& newest, const std::optional<TimePoint>& date) {
    if (date && (!newest || *date > *newest)) newest = date;
}

// The app's own cache and state folders: touched whenever it runs.
std::vector<fs::path> activityFolders(const LinuxApp& app) {
    std::vector<fs::path> folders;
    const char* home = std::getenv("HOME");
    if (app.origin == AppOrigin::flatpak && home != nullptr) {
        const fs::path data = fs::path(home) / ".var/app" / app.identifier;
        folders = {data / "cache", data / "data", data / "config"};
    } else if (app.origin == AppOrigin::snap && home != nullptr) {
        folders = {fs::path(home) / "snap" / app.identifier};
    }
    for (const std::string& key : relatedKeys(app)) {
        folders.push_back(platform::XDGFolders::cacheHome() / key);
        folders.push_back(platform::XDGFolders::stateHome() / key);
    }
    return folders;
}

// The newest of the executable's access time and the changes of its own folders.
std::optional<TimePoint> lastUsed(const LinuxApp& app) {
    std::optional<TimePoint> newest;
    // A program file's access date is its last run. A folder's is not: listing it (as
    // measuring the app does) changes it.
    if (const auto properties = platform::fileProperties(app.executable.value_or(app.path));
        properties && properties->isRegularFile)
        keepNewest(newest, properties->accessDate);
    for (const fs::path& folder : activityFolders(app))
        if (const auto properties = platform::fileProperties(folder)) keepNewest(newest, properties->modificationDate);
    return newest;
}

// A package manager removes its own software; the plan shows it, locked, until the
// removal routes exist. Files the user put there go to the Trash like any other.
void describeAppCandidate(CleanupCandidate& candidate, const LinuxApp& app) {
    candidate.label = app.name;
    if (app.isProtected) return;
    candidate.safetyLevel = CleanupCandidate::SafetyLevel::review;
    candidate.defaultSelected = false;
    switch (app.origin) {
        case AppOrigin::flatpak:
            candidate.isSelectable = false;
            candidate.evidence = "Flatpak app " + app.identifier;
            candidate.note = "Removed by Flatpak";
            break;
        case AppOrigin::snap:
            candidate.isSelectable = false;
            candidate.evidence = "Snap " + app.identifier;
            candidate.note = "Removed by snapd";
            break;
        case AppOrigin::debianPackage:
            candidate.isSelectable = false;
            candidate.evidence = "Debian package " + app.identifier;
            candidate.note = "Removed by apt";
            break;
        case AppOrigin::appImage:
            candidate.evidence = "The AppImage file itself";
            candidate.note = "AppImage file.";
            break;
        case AppOrigin::local:
            candidate.evidence = "Folder of the program the menu entry starts";
            candidate.note = "App folder in your home or /opt. Review before selecting.";
            break;
    }
}

}  // namespace

AppInfo appInfo(const LinuxApp& app, const InventoryPass& pass) {
    AppInfo info;
    info.id = app.desktopEntry ? app.desktopEntry->string() : app.path.string();
    info.name = app.name;
    info.bundleIdentifier = app.identifier;
    info.origin = std::string(rawValue(app.origin));
    info.version = app.version;
    info.path = app.path.string();
    info.sizeBytes = app.sizeBytes;
    info.memoryBytes = appMemory(app, pass.processes);
    info.isRunning = info.memoryBytes > 0;
    info.lastUsedDate = lastUsed(app);
    info.installedDate = app.installedDate;
    info.isProtected = app.isProtected;
    info.icon = app.icon;

    const AppScanner::RelatedUsage related =
        pass.relatedFolders ? relatedFiles(app, *pass.relatedFolders) : AppScanner::RelatedUsage{};
    AppScanner::applyRelatedUsage(info, related);
    std::vector<AppScanner::InstallerCandidate> installers;
    for (const AppScanner::InstallerCandidate& candidate : pass.installers)
        if (AppScanner::installer(candidate, info.name, info.bundleIdentifier)) installers.push_back(candidate);
    for (const AppScanner::InstallerCandidate& installer : installers)
        info.installerBytes = saturatingSum(info.installerBytes, installer.sizeBytes);
    info.installerCount = static_cast<std::int64_t>(installers.size());
    for (const LaunchAgentInfo& item : pass.startupItems)
        if (startsApp(item, app)) info.launchAgents.push_back(item);

    info.cleanupCandidates =
        AppScanner::cleanupCandidates(app.path, std::nullopt, info.name, info.bundleIdentifier, info.sizeBytes, related,
                                      installers, info.launchAgents, info.isProtected);
    for (CleanupCandidate& candidate : info.cleanupCandidates)
        if (candidate.kind == CleanupCandidate::Kind::appBundle) describeAppCandidate(candidate, app);
    return info;
}

std::vector<AppInfo> inventory(bool includePermissionSensitive) {
    const InstalledSoftware software = scanInstalledSoftware();
    InventoryPass pass;
    pass.includePermissionSensitive = includePermissionSensitive;
    pass.processes = appProcesses();
    if (includePermissionSensitive) {
        pass.installers = installerCandidates();
        pass.startupItems = startupItems();
        pass.relatedFolders.emplace();
    }
    // Measuring the apps' folders is most of the work and each app stands alone: share it
    // between the cores, each worker taking every n-th app.
    std::vector<AppInfo> apps(software.apps.size());
    const std::size_t workers =
        std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, std::max<std::size_t>(apps.size(), 1));
    std::vector<std::thread> threads;
    for (std::size_t worker = 0; worker < workers; ++worker)
        threads.emplace_back([&, worker] {
            for (std::size_t index = worker; index < apps.size(); index += workers)
                apps[index] = appInfo(software.apps[index], pass);
        });
    for (std::thread& thread : threads) thread.join();
    std::stable_sort(apps.begin(), apps.end(), AppScanner::sortsBefore);
    return apps;
}

std::vector<std::string> runningAppKeys() {
    const std::vector<AppProcess> processes = appProcesses();
    std::vector<std::string> keys;
    for (const LinuxApp& app : scanInstalledSoftware().apps) {
        if (appMemory(app, processes) <= 0) continue;
        for (const std::string& key : relatedKeys(app)) keys.push_back(key);
    }
    return keys;
}

}  // namespace tidewell::Freedesktop
