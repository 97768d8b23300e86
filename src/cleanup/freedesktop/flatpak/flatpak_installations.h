#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tidewell::Freedesktop {

// One app installed in a Flatpak installation, as libflatpak reports it.
struct InstalledFlatpak {
    std::string id;            // "org.gimp.GIMP"
    std::string installation;  // "user" or "system"
    std::filesystem::path deployFolder;
    std::filesystem::path exportedApplications;  // the installation's exports/share/applications
    std::int64_t sizeBytes = 0;
    std::string version = "-";  // from the ref's appdata

    bool operator==(const InstalledFlatpak&) const = default;
};

// The installed apps of the user installation (FLATPAK_USER_DIR, else the data home's
// "flatpak") and of the system one (<root>/var/lib/flatpak). An installation whose folder
// does not exist is not opened, so nothing is created.
std::vector<InstalledFlatpak> installedFlatpaks();

}  // namespace tidewell::Freedesktop
