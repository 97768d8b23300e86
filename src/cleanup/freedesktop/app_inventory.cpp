#include "cleanup/freedesktop/app_inventory.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "cleanup/app_scanner.h"
#include "cleanup/cleanup_candidates.h"
#include "cleanup/folder_listing.h"
#include "cleanup/freedesktop/entries/desktop_entries.h"
#include "cleanup/freedesktop/installed_software.h"
#include "cleanup/freedesktop/linux_installers.h"
#include "cleanup/freedesktop/related_files.h"
#include "cleanup/freedesktop/startup_entries.h"
#include "cleanup/saturating_sum.h"
#include "platform/disk_usage.h"
#include "platform/file_properties.h"
#include "platform/xdg_folders.h"
#include "util/path_containment.h"

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

// A package manager removes its own software and can install it again; files the user put
// there go to the Trash like any other.
RemovalRoute removalRoute(AppOrigin origin) {
    switch (origin) {
        case AppOrigin::flatpak:
            return RemovalRoute::flatpak;
        case AppOrigin::snap:
            return RemovalRoute::snap;
        case AppOrigin::debianPackage:
            return RemovalRoute::apt;
        case AppOrigin::appImage:
        case AppOrigin::local:
            break;
    }
    return RemovalRoute::trash;
}

void describeAppCandidate(CleanupCandidate& candidate, const LinuxApp& app) {
    candidate.label = app.name;
    candidate.route = removalRoute(app.origin);
    if (app.isProtected) return;
    candidate.safetyLevel = CleanupCandidate::SafetyLevel::safe;
    candidate.defaultSelected = true;
    candidate.isSelectable = true;
    switch (app.origin) {
        case AppOrigin::flatpak:
            candidate.evidence = "Flatpak app " + app.identifier + " (" + app.flatpakInstallation + " installation)";
            candidate.note = "Flatpak uninstalls the app; its data folder is a separate item.";
            break;
        case AppOrigin::snap:
            candidate.evidence = "Snap " + app.identifier;
            candidate.note = "snapd removes the snap; its data folder is a separate item.";
            break;
        case AppOrigin::debianPackage:
            candidate.evidence = "Debian package " + app.identifier;
            candidate.note = "apt removes the package (its settings in /etc stay); the plan lists what goes with it.";
            break;
        case AppOrigin::appImage:
            candidate.evidence = "The AppImage file itself";
            candidate.note = "AppImage file.";
            break;
        case AppOrigin::local:
            candidate.evidence = "Folder of the program the menu entry starts";
            candidate.note = "App folder in your home or /opt.";
            break;
    }
}

// How a startup item is switched off on a Linux desktop: the user's own entries and units
// move to the Trash (a unit stopped and disabled first), a system autostart entry is hidden by
// a user copy, and a system unit stays locked.
void describeStartupCandidate(CleanupCandidate& candidate) {
    const bool isUnit = AppScanner::pathExtension(candidate.path) == "service";
    if (candidate.safetyLevel != CleanupCandidate::SafetyLevel::protected_) {
        candidate.evidence = isUnit ? "systemd user unit starts this app" : "Autostart entry starts this app";
        candidate.note = isUnit ? "Stopped and disabled with systemctl, then moved to Trash."
                                : "Starts this app when you log in; moved to Trash.";
        return;
    }
    if (isUnit) {
        candidate.evidence = "System systemd unit starts this app";
        candidate.note = "Only an administrator can disable a system unit.";
        return;
    }
    candidate.evidence = "System autostart entry starts this app";
    candidate.route = RemovalRoute::hiddenAutostart;
    candidate.safetyLevel = CleanupCandidate::SafetyLevel::likely;
    candidate.defaultSelected = true;
    candidate.isSelectable = true;
    candidate.note = "A copy in your autostart folder with Hidden=true switches it off; the system file stays.";
}

// What a menu shows of an app the user installed by hand: its entry and its icons.
void appendMenuFiles(std::vector<CleanupCandidate>& candidates, const LinuxApp& app) {
    if (app.origin != AppOrigin::appImage && app.origin != AppOrigin::local) return;
    const auto add = [&](const fs::path& path, const std::string& label, const std::string& evidence) {
        candidates.push_back(CleanupCandidate{path.string(), CleanupCandidate::Kind::appLink, label, path.string(),
                                              platform::fileSize(path), CleanupCandidate::SafetyLevel::safe, evidence,
                                              true, true, "Without the app it would stay in the menu, broken."});
    };
    const fs::path userEntries = platform::XDGFolders::dataHome() / "applications";
    if (app.desktopEntry && isPathInside(app.desktopEntry->native(), userEntries.native()))
        add(*app.desktopEntry, "Menu entry " + app.desktopEntry->filename().string(),
            "The app's menu entry in your applications folder");
    for (const fs::path& icon : userIconFiles(app.iconName))
        add(icon, "Icon " + icon.filename().string(), "Icon named by the app's menu entry");
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

    // A sandboxed app's own data folder is an exact path, not a search of the user's folders.
    const AppScanner::RelatedUsage related =
        pass.relatedFolders ? relatedFiles(app, *pass.relatedFolders) : sandboxFiles(app);
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
    for (CleanupCandidate& candidate : info.cleanupCandidates) {
        if (candidate.kind == CleanupCandidate::Kind::appBundle) describeAppCandidate(candidate, app);
        if (candidate.kind == CleanupCandidate::Kind::launchAgent) describeStartupCandidate(candidate);
    }
    // The entry and icons belong to the app as its link does to an ".app" bundle: always listed.
    if (!info.isProtected) appendMenuFiles(info.cleanupCandidates, app);
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
