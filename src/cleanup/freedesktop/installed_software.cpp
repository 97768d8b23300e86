#include "cleanup/freedesktop/installed_software.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

#include "cleanup/freedesktop/appimage/appimages.h"
#include "cleanup/freedesktop/debian/dpkg_database.h"
#include "cleanup/freedesktop/entries/desktop_entries.h"
#include "cleanup/freedesktop/flatpak/flatpak_installations.h"
#include "cleanup/freedesktop/snap/snaps.h"
#include "cleanup/freedesktop/startup_command.h"
#include "platform/disk_usage.h"
#include "platform/file_properties.h"
#include "platform/folder_locations.h"
#include "platform/xdg_folders.h"
#include "util/path_containment.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;

namespace {

std::string withoutExtension(const fs::path& path) {
    return path.stem().string();
}

std::optional<std::chrono::system_clock::time_point> birthOrChange(const fs::path& path) {
    const std::optional<platform::FileProperties> properties = platform::fileProperties(path);
    if (!properties) return std::nullopt;
    return properties->creationDate ? properties->creationDate : properties->modificationDate;
}

std::string fileText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool isInside(const fs::path& path, const fs::path& folder) {
    return !folder.empty() && isPathInside(path, folder);
}

fs::path homeFolder() {
    const char* home = std::getenv("HOME");
    return home != nullptr ? fs::path(home) : fs::path();
}

// The app as its desktop entry describes it; the origin fills in the rest.
LinuxApp appOfEntry(const DesktopEntry& entry, AppOrigin origin) {
    LinuxApp app;
    app.origin = origin;
    app.desktopFileID = entry.id;
    app.name = entry.name;
    app.desktopEntry = entry.path;
    app.executable = entry.executable;
    app.icon = iconFile(entry.icon);
    app.iconName = entry.icon;
    return app;
}

std::optional<LinuxApp> flatpakApp(const DesktopEntry& entry, const std::vector<InstalledFlatpak>& flatpaks) {
    const std::string entryID = entry.id.size() > 8 ? entry.id.substr(0, entry.id.size() - 8) : entry.id;
    const std::string runID = flatpakIDOf(entry.exec);
    for (const InstalledFlatpak& flatpak : flatpaks) {
        // An installation exports only files named after the app id ("<id>.desktop",
        // "<id>.<more>.desktop"); each belongs to that app alone.
        const bool exported =
            entry.applicationsFolder.lexically_normal() == flatpak.exportedApplications.lexically_normal() &&
            entryID.starts_with(flatpak.id + ".");
        if (!exported && runID != flatpak.id && entryID != flatpak.id) continue;
        LinuxApp app = appOfEntry(entry, AppOrigin::flatpak);
        app.identifier = flatpak.id;
        app.version = flatpak.version;
        app.path = flatpak.deployFolder;
        app.sizeBytes = flatpak.sizeBytes;
        app.flatpakInstallation = flatpak.installation;
        app.installedDate = birthOrChange(flatpak.deployFolder);
        return app;
    }
    return std::nullopt;
}

LinuxApp snapApp(const DesktopEntry& entry) {
    LinuxApp app = appOfEntry(entry, AppOrigin::snap);
    app.identifier = snapNameOfEntry(entry.id);
    app.path = snapCurrentFolder(app.identifier);
    std::error_code error;
    const fs::path revision = fs::canonical(app.path, error);
    app.sizeBytes = platform::sizeIfExists(error ? app.path : revision);
    app.version = snapVersion(fileText(app.path / "meta/snap.yaml"));
    app.installedDate = birthOrChange(error ? app.path : revision);
    return app;
}

LinuxApp appImageApp(const fs::path& file) {
    LinuxApp app;
    app.origin = AppOrigin::appImage;
    app.name = withoutExtension(file);
    app.identifier = app.name;
    app.path = file;
    app.executable = file;
    app.sizeBytes = platform::fileSize(file);
    app.installedDate = birthOrChange(file);
    return app;
}

// A local app keeps its files in a folder of its own; a program lying loose in Home,
// ~/.local/bin or /opt stands for itself.
LinuxApp localApp(const DesktopEntry& entry) {
    LinuxApp app = appOfEntry(entry, AppOrigin::local);
    app.identifier = entry.id;
    const fs::path folder = entry.executable->parent_path();
    const fs::path home = homeFolder();
    const bool loose = folder == home || folder == home / ".local/bin" ||
                       folder == platform::FolderLocations::systemPath("/opt") || folder == home / "bin";
    app.path = loose ? *entry.executable : folder;
    app.sizeBytes = platform::sizeIfExists(app.path);
    app.installedDate = birthOrChange(app.path);
    return app;
}

bool isLocalEntry(const DesktopEntry& entry) {
    if (!entry.executable || entry.applicationsFolder != platform::XDGFolders::dataHome() / "applications")
        return false;
    return isInside(*entry.executable, homeFolder()) ||
           isInside(*entry.executable, platform::FolderLocations::systemPath("/opt"));
}

// The path a package's file list names for a file below the system root.
std::string packagedPath(const fs::path& path) {
    const fs::path root = platform::FolderLocations::systemRoot();
    if (root == "/") return path.string();
    if (!isInside(path, root)) return {};
    return "/" + path.lexically_relative(root).generic_string();
}

void addPackageApps(const std::vector<DesktopEntry>& entries, InstalledSoftware& software) {
    const std::map<std::string, DpkgPackage> packages = installedPackages();
    for (const auto& [name, package] : packages) software.packageNames.insert(name);
    if (packages.empty() || entries.empty()) return;
    std::set<std::string> wanted;
    for (const DesktopEntry& entry : entries) {
        wanted.insert(packagedPath(entry.path));
        if (entry.executable) wanted.insert(packagedPath(*entry.executable));
    }
    wanted.erase(std::string());
    const std::map<std::string, std::string> owners = packageOwners(wanted);
    for (const DesktopEntry& entry : entries) {
        auto owner = owners.find(packagedPath(entry.path));
        if (owner == owners.end() && entry.executable) owner = owners.find(packagedPath(*entry.executable));
        if (owner == owners.end()) continue;
        const auto package = packages.find(owner->second);
        if (package == packages.end()) continue;
        LinuxApp app = appOfEntry(entry, AppOrigin::debianPackage);
        app.identifier = package->first;
        app.version = package->second.version;
        app.path = entry.executable ? *entry.executable : entry.path;
        app.sizeBytes = package->second.sizeBytes;
        app.isProtected = package->second.isProtected;
        app.installedDate = birthOrChange(dpkgAdminFolder() / "info" / (package->first + ".list"));
        software.apps.push_back(app);
    }
}

// The entry named after the software ("<id>.desktop", a snap's "<name>_<name>.desktop").
bool isMainEntry(const LinuxApp& app) {
    return app.desktopFileID == app.identifier + ".desktop" ||
           app.desktopFileID == app.identifier + "_" + app.identifier + ".desktop";
}

// Software a package manager removes as one piece is one app, however many menu entries
// it brings (a settings dialog beside the main window), so its size counts once: the main
// entry stands for it, else the first.
void keepOneAppPerPackage(std::vector<LinuxApp>& apps) {
    std::map<std::pair<AppOrigin, std::string>, std::size_t> kept;
    std::vector<LinuxApp> unique;
    for (LinuxApp& app : apps) {
        if (app.origin == AppOrigin::appImage || app.origin == AppOrigin::local) {
            unique.push_back(std::move(app));
            continue;
        }
        const auto [slot, added] = kept.emplace(std::pair(app.origin, app.identifier), unique.size());
        if (added)
            unique.push_back(std::move(app));
        else if (isMainEntry(app) && !isMainEntry(unique[slot->second]))
            unique[slot->second] = std::move(app);
    }
    apps = std::move(unique);
}

}  // namespace

InstalledSoftware scanInstalledSoftware() {
    InstalledSoftware software;
    const std::vector<InstalledFlatpak> flatpaks = installedFlatpaks();
    for (const InstalledFlatpak& flatpak : flatpaks) software.flatpakIDs.insert(flatpak.id);
    software.snapNames = installedSnapNames();

    std::vector<LinuxApp> appImages;
    for (const fs::path& file : appImageFiles()) appImages.push_back(appImageApp(file));

    std::vector<fs::path> exportedFolders;
    for (const InstalledFlatpak& flatpak : flatpaks) exportedFolders.push_back(flatpak.exportedApplications);
    exportedFolders.push_back(snapDesktopFolder());
    std::vector<DesktopEntry> packageCandidates;
    for (const DesktopEntry& entry : desktopEntries(exportedFolders)) {
        if (std::optional<LinuxApp> app = flatpakApp(entry, flatpaks)) {
            software.apps.push_back(*app);
        } else if (entry.applicationsFolder.lexically_normal() == snapDesktopFolder().lexically_normal()) {
            software.apps.push_back(snapApp(entry));
        } else if (auto image = std::find_if(appImages.begin(), appImages.end(),
                                             [&](const LinuxApp& app) { return entry.executable == app.path; });
                   image != appImages.end()) {
            // A menu entry of an AppImage lends it a name and an icon.
            image->desktopFileID = entry.id;
            image->name = entry.name;
            image->desktopEntry = entry.path;
            image->icon = iconFile(entry.icon);
            image->iconName = entry.icon;
        } else if (isLocalEntry(entry)) {
            software.apps.push_back(localApp(entry));
        } else {
            packageCandidates.push_back(entry);
        }
    }
    software.apps.insert(software.apps.end(), appImages.begin(), appImages.end());
    addPackageApps(packageCandidates, software);
    keepOneAppPerPackage(software.apps);
    return software;
}

}  // namespace tidewell::Freedesktop
