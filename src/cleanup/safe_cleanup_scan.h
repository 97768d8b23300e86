#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cleanup/safe_cleanup_item.h"
#include "platform/file_properties.h"

namespace tidewell::AppScanner {

// Installers and archives in Downloads (any age), logs older than 7 days in
// Library/Logs and caches older than 3 days in Library/Caches: top-level
// entries only, each offered whole, only when at least 1 byte and allowed by
// the safety policy. Sorted by category raw value, then size descending, then
// name ignoring case. Reads only; unreadable parts are passed over.
std::vector<SafeCleanupItem> scanSafeCleanup();

// The advice shown with each kind of item.
inline const std::string installerNote =
    "Downloaded installer/archive. Move to Trash if you do not need to reinstall from this file.";
inline const std::string logNote = "Old user log. Usually safe to move to Trash.";
inline const std::string cacheNote = "User cache. Apps can recreate it when needed.";

// An installer item for a regular file (not a link) of at least 1 byte; any age.
std::optional<SafeCleanupItem> installerItem(const std::filesystem::path& child);

// An item for a regular file or folder (not a link) older than `minimumAgeDays`, measured
// whole, of at least 1 byte.
std::optional<SafeCleanupItem> agedItem(const std::filesystem::path& child, SafeCleanupItem::Category category,
                                        const std::string& note, int minimumAgeDays,
                                        std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// The items of at least 1 byte the safety policy lets move, sorted by category raw value,
// then size descending, then name ignoring case.
std::vector<SafeCleanupItem> allowedAndSorted(std::vector<SafeCleanupItem> found);

// True when the entry's modification date (else its creation date, else the
// distant past) lies strictly before now minus `days` calendar days.
bool isOlderThan(const platform::FileProperties& values, int days,
                 std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

}  // namespace tidewell::AppScanner
