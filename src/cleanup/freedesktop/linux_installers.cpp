#include "cleanup/freedesktop/linux_installers.h"

#include <algorithm>

#include "cleanup/folder_listing.h"
#include "platform/disk_usage.h"
#include "platform/xdg_folders.h"
#include "util/unicode_text.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;

bool isInstallerName(const fs::path& path) {
    const std::string extension = lowercased(AppScanner::pathExtension(path));
    return std::any_of(installerExtensions.begin(), installerExtensions.end(),
                       [&](std::string_view kind) { return lowercased(kind) == extension; });
}

std::vector<AppScanner::InstallerCandidate> installerCandidates() {
    std::vector<AppScanner::InstallerCandidate> installers;
    for (const fs::path& child : AppScanner::visibleChildren(platform::XDGFolders::downloadsFolder())) {
        if (!isInstallerName(child)) continue;
        installers.push_back({AppScanner::nameWithoutExtension(child), child.string(), platform::fileSize(child)});
    }
    return installers;
}

}  // namespace tidewell::Freedesktop
