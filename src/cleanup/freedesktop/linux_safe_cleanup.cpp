#include "cleanup/freedesktop/linux_safe_cleanup.h"

#include <algorithm>
#include <chrono>

#include "cleanup/folder_listing.h"
#include "cleanup/freedesktop/linux_installers.h"
#include "cleanup/safe_cleanup_scan.h"
#include "platform/folders.h"
#include "platform/xdg_folders.h"
#include "util/unicode_text.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;
namespace xdg = platform::XDGFolders;
using Category = SafeCleanupItem::Category;

namespace {

void addIfPresent(std::vector<SafeCleanupItem>& items, std::optional<SafeCleanupItem> item) {
    if (item) items.push_back(std::move(*item));
}

bool isRunningAppCache(const fs::path& child, const std::vector<std::string>& runningAppKeys) {
    const std::string name = lowercased(child.filename().string());
    return std::any_of(runningAppKeys.begin(), runningAppKeys.end(),
                       [&](const std::string& key) { return lowercased(key) == name; });
}

}  // namespace

int minimumAgeDays(Category category) {
    for (const AgeLimit& limit : ageLimits)
        if (limit.category == category) return limit.minimumAgeDays;
    return 0;
}

std::vector<SafeCleanupItem> safeCleanupItems(const std::vector<std::string>& runningAppKeys) {
    const auto now = std::chrono::system_clock::now();
    std::vector<SafeCleanupItem> found;
    for (const fs::path& child : AppScanner::visibleChildren(xdg::downloadsFolder())) {
        if (isInstallerName(child)) addIfPresent(found, AppScanner::installerItem(child));
    }
    const int logDays = minimumAgeDays(Category::logs);
    for (const fs::path& child : AppScanner::visibleChildren(xdg::stateHome())) {
        if (lowercased(AppScanner::pathExtension(child)) != "log") continue;
        addIfPresent(found, AppScanner::agedItem(child, Category::logs, AppScanner::logNote, logDays, now));
    }
    // The X session's previous error log, the one hidden file offered.
    addIfPresent(found, AppScanner::agedItem(platform::homeDirectory() / ".xsession-errors.old", Category::logs,
                                             AppScanner::logNote, logDays, now));
    // The XDG rules call the cache folder non-essential: every top-level entry rebuilds,
    // "thumbnails" included; a running app's own cache is left alone.
    const int cacheDays = minimumAgeDays(Category::caches);
    for (const fs::path& child : AppScanner::visibleChildren(xdg::cacheHome())) {
        if (isRunningAppCache(child, runningAppKeys)) continue;
        addIfPresent(found, AppScanner::agedItem(child, Category::caches, AppScanner::cacheNote, cacheDays, now));
    }
    return AppScanner::allowedAndSorted(std::move(found));
}

}  // namespace tidewell::Freedesktop
