#include "platform/xdg_folders.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/folder_locations.h"
#include "platform/folders.h"

namespace tidewell::platform::XDGFolders {

namespace {

namespace fs = std::filesystem;

// The absolute folders of a colon-separated list, each below the system root; relative
// entries are ignored, as the XDG rules require.
std::vector<fs::path> absoluteFolders(std::string_view list) {
    std::vector<fs::path> folders;
    while (!list.empty()) {
        const auto colon = list.find(':');
        const fs::path folder(std::string(list.substr(0, colon)));
        if (folder.is_absolute()) folders.push_back(FolderLocations::systemPath(folder.lexically_normal()));
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
    }
    return folders;
}

// The list the variable holds, else `fallback` (also when every entry was relative).
std::vector<fs::path> systemFolderList(const char* variable, std::string_view fallback) {
    const char* value = std::getenv(variable);
    if (value != nullptr) {
        if (auto folders = absoluteFolders(value); !folders.empty()) return folders;
    }
    return absoluteFolders(fallback);
}

}  // namespace

fs::path dataHome() {
    return xdgFolder("XDG_DATA_HOME", ".local/share");
}
fs::path configHome() {
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}
fs::path cacheHome() {
    return xdgFolder("XDG_CACHE_HOME", ".cache");
}
fs::path stateHome() {
    return xdgFolder("XDG_STATE_HOME", ".local/state");
}

std::vector<fs::path> dataDirs() {
    return systemFolderList("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
}
std::vector<fs::path> configDirs() {
    return systemFolderList("XDG_CONFIG_DIRS", "/etc/xdg");
}

fs::path userDirectory(std::string_view userDirsText, std::string_view key, const fs::path& home) {
    std::istringstream lines{std::string(userDirsText)};
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind(key, 0) != 0 || line.size() <= key.size() || line[key.size()] != '=') continue;
        std::string value = line.substr(key.size() + 1);
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') return {};
        value = value.substr(1, value.size() - 2);
        constexpr std::string_view homePrefix = "$HOME";
        if (value.rfind(homePrefix, 0) == 0) {
            const std::string rest = value.substr(homePrefix.size());
            if (rest.empty()) return home;
            if (rest.front() != '/') return {};
            return home / fs::path(rest).relative_path();
        }
        if (fs::path(value).is_absolute()) return value;
        return {};
    }
    return {};
}

fs::path downloadsFolder() {
    const fs::path home = homeDirectory();
    std::ifstream file(configHome() / "user-dirs.dirs");
    std::ostringstream text;
    text << file.rdbuf();
    const fs::path named = userDirectory(text.str(), "XDG_DOWNLOAD_DIR", home);
    return named.empty() ? home / "Downloads" : named;
}

}  // namespace tidewell::platform::XDGFolders
