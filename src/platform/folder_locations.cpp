#include "platform/folder_locations.h"

#include <cstdlib>

#include "platform/folders.h"
#include "util/path_containment.h"

namespace tidewell::platform::FolderLocations {

namespace fs = std::filesystem;

fs::path systemRoot() {
    const char* root = std::getenv(systemRootVariable);
    if (root == nullptr || *root == '\0') return "/";
    return fs::path(root).lexically_normal();
}

fs::path systemPath(const fs::path& absolutePath) {
    fs::path root = systemRoot();
    if (root == "/") return absolutePath;
    fs::path result = root;
    // Appending an absolute path would replace the root, so add the pieces after "/".
    result /= absolutePath.relative_path();
    return result;
}

fs::path homeOrSystemPath(const fs::path& absolutePath) {
    if (isPathInside(absolutePath.lexically_normal(), homeDirectory().lexically_normal())) return absolutePath;
    return systemPath(absolutePath);
}

std::vector<fs::path> executableSearchFolders(std::string_view whenUnset) {
    const char* variable = std::getenv("PATH");
    std::string_view list = variable != nullptr ? std::string_view(variable) : whenUnset;
    std::vector<fs::path> folders;
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const fs::path folder(std::string(list.substr(0, colon)));
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        if (folder.is_absolute()) folders.push_back(homeOrSystemPath(folder));
    }
    return folders;
}

fs::path applicationsFolder() {
    return systemPath("/Applications");
}
fs::path userApplicationsFolder() {
    return homeDirectory() / "Applications";
}
fs::path systemApplicationsFolder() {
    return systemPath("/System/Applications");
}
fs::path systemFolder() {
    return systemPath("/System");
}

fs::path userLibraryFolder() {
    return homeDirectory() / "Library";
}
fs::path userCachesFolder() {
    return userLibraryFolder() / "Caches";
}
fs::path userApplicationSupportFolder() {
    return userLibraryFolder() / "Application Support";
}
fs::path userPreferencesFolder() {
    return userLibraryFolder() / "Preferences";
}
fs::path userSavedApplicationStateFolder() {
    return userLibraryFolder() / "Saved Application State";
}
fs::path userLogsFolder() {
    return userLibraryFolder() / "Logs";
}
fs::path userLaunchAgentsFolder() {
    return userLibraryFolder() / "LaunchAgents";
}
fs::path userDownloadsFolder() {
    return homeDirectory() / "Downloads";
}

fs::path systemLaunchAgentsFolder() {
    return systemPath("/Library/LaunchAgents");
}
fs::path systemLaunchDaemonsFolder() {
    return systemPath("/Library/LaunchDaemons");
}
fs::path privilegedHelperToolsFolder() {
    return systemPath("/Library/PrivilegedHelperTools");
}

}  // namespace tidewell::platform::FolderLocations
