#include "cleanup/cleanup_report.h"

#include <utility>

#include "cleanup/search_fields.h"
#include "util/byte_size_text.h"
#include "util/uuid.h"

namespace tidewell {

CleanupReport CleanupReport::make(std::chrono::system_clock::time_point date, std::string appName,
                                  std::vector<std::string> movedItems, std::vector<std::string> failedItems,
                                  std::int64_t recoveredBytes) {
    return CleanupReport{makeUUIDString(),       date,          std::move(appName), std::move(movedItems),
                         std::move(failedItems), recoveredBytes};
}

std::string CleanupReport::recoveredText() const {
    return tidewellString(recoveredBytes);
}

std::string CleanupReport::statusText() const {
    if (failedItems.empty()) return "Completed";
    if (!movedItems.empty()) return "Partial";
    return "Failed";
}

bool CleanupReport::matchesSearch(std::string_view query) const {
    return SearchMatcher::matches(query, searchFields(*this));
}

}  // namespace tidewell
