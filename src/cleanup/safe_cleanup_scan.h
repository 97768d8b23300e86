#pragma once

#include <chrono>
#include <filesystem>
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

// True when the entry's modification date (else its creation date, else the
// distant past) lies strictly before now minus `days` calendar days.
bool isOlderThan(const platform::FileProperties& values, int days,
                 std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

}  // namespace tidewell::AppScanner
