#include "cleanup/freedesktop/snap/snaps.h"

#include <sstream>
#include <system_error>

#include "platform/folder_locations.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;

fs::path snapDesktopFolder() {
    return platform::FolderLocations::systemPath("/var/lib/snapd/desktop/applications");
}

fs::path snapCurrentFolder(const std::string& name) {
    return platform::FolderLocations::systemPath("/snap") / name / "current";
}

std::set<std::string> installedSnapNames() {
    std::set<std::string> names;
    std::error_code error;
    for (fs::directory_iterator list(platform::FolderLocations::systemPath("/snap"), error);
         !error && list != fs::directory_iterator(); list.increment(error)) {
        const std::string name = list->path().filename().string();
        std::error_code exists;
        if (name != "bin" && fs::exists(list->path() / "current", exists)) names.insert(name);
    }
    return names;
}

std::string snapNameOfEntry(std::string_view desktopFileID) {
    std::string_view name = desktopFileID;
    if (const auto separator = name.find('_'); separator != std::string_view::npos)
        name = name.substr(0, separator);
    else if (name.size() > 8 && name.substr(name.size() - 8) == ".desktop")
        name = name.substr(0, name.size() - 8);
    return std::string(name);
}

std::string snapVersion(std::string_view snapYaml) {
    std::istringstream lines{std::string(snapYaml)};
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("version:", 0) != 0) continue;
        std::string value = line.substr(8);
        const auto first = value.find_first_not_of(" \t");
        const auto last = value.find_last_not_of(" \t\r");
        if (first == std::string::npos) return "-";
        value = value.substr(first, last - first + 1);
        if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return value.empty() ? "-" : value;
    }
    return "-";
}

}  // namespace tidewell::Freedesktop
