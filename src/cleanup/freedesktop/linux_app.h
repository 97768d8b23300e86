#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell::Freedesktop {

// Where an app came from; it decides the app's files, its size and how it is removed.
enum class AppOrigin { flatpak, snap, appImage, debianPackage, local };

// "Flatpak", "Snap", "AppImage", "Debian package", "Local".
std::string_view rawValue(AppOrigin origin);
// The origin whose raw value is `raw`; none for any other text (an ".app" bundle's empty one).
std::optional<AppOrigin> appOriginFromRawValue(std::string_view raw);

// One installed app as its origin describes it, before the files around it are measured.
struct LinuxApp {
    AppOrigin origin = AppOrigin::local;
    std::string desktopFileID;  // "org.gimp.GIMP.desktop"; empty for an AppImage that embeds none
    std::string name;           // the entry's Name, localized
    // Flatpak app id, snap name, Debian package name, an AppImage's embedded desktop-file id
    // (else its file name), a local app's desktop-file id.
    std::string identifier;
    std::string version = "-";
    // What stands for the app's bundle: the Flatpak deploy folder, /snap/<name>/current,
    // the AppImage file, the package's main executable, a local app's folder.
    std::filesystem::path path;
    std::int64_t sizeBytes = 0;  // Flatpak installed size, package Installed-Size, or allocated bytes
    std::optional<std::filesystem::path> desktopEntry;
    std::optional<std::filesystem::path> executable;  // the program Exec starts, resolved
    std::optional<std::filesystem::path> icon;        // a file from the icon theme
    std::string iconName;                             // the entry's Icon value as written
    std::optional<std::chrono::system_clock::time_point> installedDate;
    std::string flatpakInstallation;  // "user" or "system" for a Flatpak
    bool isProtected = false;

    bool operator==(const LinuxApp&) const = default;
};

// Every app a menu would show, and the names of everything installed, read once.
struct InstalledSoftware {
    std::vector<LinuxApp> apps;
    std::set<std::string> packageNames;  // every installed Debian package
    std::set<std::string> flatpakIDs;    // every installed Flatpak app, user and system
    std::set<std::string> snapNames;     // every installed snap

    bool operator==(const InstalledSoftware&) const = default;
};

}  // namespace tidewell::Freedesktop
