#include "cleanup/safe_cleanup_scan.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <string>

#include "cleanup/folder_listing.h"
#include "cleanup/safety_policy.h"
#include "platform/disk_usage.h"
#include "platform/folder_locations.h"
#include "util/unicode_text.h"

namespace tidewell::AppScanner {

namespace {

namespace fs = std::filesystem;
using Category = SafeCleanupItem::Category;
using Clock = std::chrono::system_clock;

constexpr std::array<std::string_view, 5> installerExtensions = {"dmg", "pkg", "zip", "xip", "iso"};

SafeCleanupItem makeItem(const fs::path& child, Category category, std::int64_t size, const std::string& note) {
    return {child.native(), category, child.filename().native(), child.native(), size, note};
}

bool isInstallerName(const fs::path& child) {
    const std::string extension = lowercased(pathExtension(child));
    return std::find(installerExtensions.begin(), installerExtensions.end(), extension) != installerExtensions.end();
}

std::vector<SafeCleanupItem> scanInstallers(const fs::path& folder) {
    std::vector<SafeCleanupItem> items;
    for (const fs::path& child : visibleChildren(folder)) {
        if (!isInstallerName(child)) continue;
        if (auto item = installerItem(child)) items.push_back(std::move(*item));
    }
    return items;
}

std::vector<SafeCleanupItem> scanDirectChildren(const fs::path& folder, Category category, const std::string& note,
                                                int minimumAgeDays) {
    std::vector<SafeCleanupItem> items;
    const auto now = Clock::now();
    for (const fs::path& child : visibleChildren(folder)) {
        if (auto item = agedItem(child, category, note, minimumAgeDays, now)) items.push_back(std::move(*item));
    }
    return items;
}

// `days` calendar days before `now` in local time; `now` when that cannot be computed.
Clock::time_point calendarDaysBefore(Clock::time_point now, int days) {
    const std::time_t seconds = Clock::to_time_t(now);
    std::tm local{};
    if (::localtime_r(&seconds, &local) == nullptr) return now;
    local.tm_mday -= days;
    local.tm_isdst = -1;
    const std::time_t cutoff = std::mktime(&local);
    if (cutoff == static_cast<std::time_t>(-1)) return now;
    return Clock::from_time_t(cutoff) + (now - Clock::from_time_t(seconds));
}

bool isSortedBefore(const SafeCleanupItem& left, const SafeCleanupItem& right) {
    const std::string leftCategory = rawValue(left.category);
    const std::string rightCategory = rawValue(right.category);
    if (leftCategory != rightCategory) return leftCategory < rightCategory;
    if (left.sizeBytes != right.sizeBytes) return left.sizeBytes > right.sizeBytes;
    return compareIgnoringCase(left.name, right.name) < 0;
}

}  // namespace

std::optional<SafeCleanupItem> installerItem(const fs::path& child) {
    const auto values = platform::fileProperties(child);
    if (!values || !values->isRegularFile || values->isSymbolicLink) return std::nullopt;
    const std::int64_t size = platform::fileSize(child);
    if (size <= 0) return std::nullopt;
    return makeItem(child, Category::installers, size, installerNote);
}

std::optional<SafeCleanupItem> agedItem(const fs::path& child, Category category, const std::string& note,
                                        int minimumAgeDays, Clock::time_point now) {
    const auto values = platform::fileProperties(child);
    if (!values || values->isSymbolicLink || (!values->isRegularFile && !values->isDirectory)) return std::nullopt;
    if (!isOlderThan(*values, minimumAgeDays, now)) return std::nullopt;
    const std::int64_t size = platform::directorySize(child);
    if (size < 1) return std::nullopt;
    return makeItem(child, category, size, note);
}

std::vector<SafeCleanupItem> allowedAndSorted(std::vector<SafeCleanupItem> found) {
    std::vector<SafeCleanupItem> items;
    for (auto&& item : found) {
        if (item.sizeBytes >= 1 && SafetyPolicy::canMoveSafeCleanupItemToTrash(item)) items.push_back(std::move(item));
    }
    std::stable_sort(items.begin(), items.end(), isSortedBefore);
    return items;
}

bool isOlderThan(const platform::FileProperties& values, int days, Clock::time_point now) {
    if (days <= 0) return true;
    const auto reference = values.modificationDate ? values.modificationDate : values.creationDate;
    if (!reference) return true;  // undated counts as old
    return *reference < calendarDaysBefore(now, days);
}

std::vector<SafeCleanupItem> scanSafeCleanup() {
    namespace locations = platform::FolderLocations;
    std::vector<SafeCleanupItem> found = scanInstallers(locations::userDownloadsFolder());
    for (auto&& item : scanDirectChildren(locations::userLogsFolder(), Category::logs, logNote, 7)) {
        found.push_back(std::move(item));
    }
    for (auto&& item : scanDirectChildren(locations::userCachesFolder(), Category::caches, cacheNote, 3)) {
        found.push_back(std::move(item));
    }
    return allowedAndSorted(std::move(found));
}

}  // namespace tidewell::AppScanner
