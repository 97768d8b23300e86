#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell::Freedesktop {

// One desktop entry of Type=Application that a menu would show.
struct DesktopEntry {
    std::string id;  // path below the applications folder, "/" read as "-"
    std::filesystem::path path;
    std::filesystem::path applicationsFolder;         // the folder it was found in
    std::string name;                                 // Name, localized
    std::vector<std::string> exec;                    // Exec split into arguments, field codes dropped
    std::optional<std::filesystem::path> executable;  // exec's program, resolved
    std::string icon;                                 // the Icon value as written

    bool operator==(const DesktopEntry&) const = default;
};

// $XDG_DATA_HOME/applications, then each $XDG_DATA_DIRS/applications, then the exported
// folders of the installations the lists lack (a session started without the Flatpak and
// snapd login scripts still shows their apps).
std::vector<std::filesystem::path> applicationsFolders(const std::vector<std::filesystem::path>& exportedFolders);

// Every shown entry of the folders in lookup order; the first entry of a desktop-file id
// wins, even when it hides itself (NoDisplay, Hidden, a failing TryExec).
std::vector<DesktopEntry> desktopEntries(const std::vector<std::filesystem::path>& exportedFolders);

// The entry at `path` when it is a shown application; none otherwise.
std::optional<DesktopEntry> readDesktopEntry(const std::filesystem::path& path, const std::string& id);

// A program as a desktop entry names it: an absolute path (below the system root unless it
// lies in Home), a plain name on PATH (whose folders are read the same way); none when
// missing or not executable.
std::optional<std::filesystem::path> resolveProgram(std::string_view program);

// The entry's icon file: an absolute Icon as it is (below the system root unless it lies in
// Home), else the
// largest <name>.png / <name>.svg of the hicolor theme in the data folders.
std::optional<std::filesystem::path> iconFile(const std::string& icon);

// The user's own files of an icon: <name>.png/.svg/.svgz/.xpm in any theme, size and
// context of $XDG_DATA_HOME/icons and ~/.icons, and in $XDG_DATA_HOME/pixmaps; an absolute
// Icon only when it lies in one of those folders. Sorted, links passed over.
std::vector<std::filesystem::path> userIconFiles(const std::string& icon);

}  // namespace tidewell::Freedesktop
