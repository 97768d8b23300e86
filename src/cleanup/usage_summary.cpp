#include "cleanup/usage_summary.h"

#include "platform/layout_text.h"

namespace tidewell {

namespace {

// Whole days from `date` to `now`, truncated toward zero.
std::int64_t wholeDaysBetween(std::chrono::system_clock::time_point date, std::chrono::system_clock::time_point now) {
    return std::chrono::duration_cast<std::chrono::days>(now - date).count();
}

}  // namespace

UsageSummary::UsageSummary(std::optional<std::chrono::system_clock::time_point> lastUsedDate, bool isRunning,
                           std::int64_t diskBytes, std::int64_t launchAgentCount, bool isProtected,
                           std::chrono::system_clock::time_point now) {
    if (isProtected) {
        level = Level::protected_;
        reason = platform::layoutText("macOS protected app. Tidewell keeps it locked.",
                                      "Protected system app. Tidewell keeps it locked.");
    } else if (isRunning) {
        level = Level::active;
        reason = "Running now, so review carefully before removal.";
    } else if (!lastUsedDate) {
        level = Level::unknown;
        reason = platform::layoutText("macOS did not provide a reliable last-used date.",
                                      "The system did not provide a reliable last-used date.");
    } else if (const std::int64_t days = wholeDaysBetween(*lastUsedDate, now); days < rarelyUsedDays) {
        level = Level::recentlyUsed;
        reason = diskBytes <= significantDiskBytes ? "Opened recently."
                                                   : "Recently used, but it uses significant disk space.";
    } else if (days < probablyUnusedDays) {
        level = Level::rarelyUsed;
        reason =
            launchAgentCount <= 0 ? "Rarely opened recently." : "Rarely opened, but background items may still run.";
    } else {
        level = Level::probablyUnused;
        reason = "Large apps unused for months are good cleanup candidates.";
    }
}

std::string rawValue(UsageSummary::Level level) {
    switch (level) {
        case UsageSummary::Level::active:
            return "Active";
        case UsageSummary::Level::recentlyUsed:
            return "Recently used";
        case UsageSummary::Level::rarelyUsed:
            return "Rarely used";
        case UsageSummary::Level::probablyUnused:
            return "Probably unused";
        case UsageSummary::Level::unknown:
            return "Unknown";
        case UsageSummary::Level::protected_:
            return "Protected";
    }
    return {};
}

}  // namespace tidewell
