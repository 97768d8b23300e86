#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell {

// What one cleanup run (uninstall, leftover group, safe cleanup) moved to the
// Trash, what it could not move, and how many bytes it gave back.
struct CleanupReport {
    std::string id;  // canonical UUID text
    std::chrono::system_clock::time_point date;
    std::string appName;
    std::vector<std::string> movedItems;   // paths now in the Trash
    std::vector<std::string> failedItems;  // "<item>: <error>"
    std::int64_t recoveredBytes = 0;

    // A report with a fresh random id.
    static CleanupReport make(std::chrono::system_clock::time_point date, std::string appName,
                              std::vector<std::string> movedItems, std::vector<std::string> failedItems,
                              std::int64_t recoveredBytes);

    std::string recoveredText() const;
    // "Completed", "Partial" or "Failed".
    std::string statusText() const;
    bool matchesSearch(std::string_view query) const;

    bool operator==(const CleanupReport&) const = default;
};

}  // namespace tidewell

template <>
struct std::hash<tidewell::CleanupReport> {
    std::size_t operator()(const tidewell::CleanupReport& report) const noexcept {
        return std::hash<std::string>{}(report.id);
    }
};
