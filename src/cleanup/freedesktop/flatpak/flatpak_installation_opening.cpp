#include "cleanup/freedesktop/flatpak/flatpak_installation_opening.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/folder_locations.h"
#include "platform/xdg_folders.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;

namespace {

fs::path userInstallationFolder() {
    const char* folder = std::getenv("FLATPAK_USER_DIR");
    if (folder != nullptr && *folder != '\0') return folder;
    return platform::XDGFolders::dataHome() / "flatpak";
}

}  // namespace

GObjectHandle<FlatpakInstallation> openFlatpakInstallation(bool user) {
    std::error_code error;
    const fs::path folder = user ? userInstallationFolder() : platform::FolderLocations::systemPath("/var/lib/flatpak");
    if (!fs::is_directory(folder, error)) return nullptr;
    if (!user && platform::FolderLocations::systemRoot() == "/")
        return GObjectHandle<FlatpakInstallation>(flatpak_installation_new_system(nullptr, nullptr));
    // The user installation is opened by path as well: libflatpak remembers the user folder of
    // its first call for the life of the process, which would ignore a later FLATPAK_USER_DIR.
    const GObjectHandle<GFile> file(g_file_new_for_path(folder.c_str()));
    return GObjectHandle<FlatpakInstallation>(
        flatpak_installation_new_for_path(file.get(), user ? TRUE : FALSE, nullptr, nullptr));
}

}  // namespace tidewell::Freedesktop
