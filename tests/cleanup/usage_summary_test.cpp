#include "cleanup/usage_summary.h"

#include <gtest/gtest.h>

#include "platform/layout_kind.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

using std::chrono::days;
using Level = UsageSummary::Level;

const auto now = std::chrono::system_clock::time_point(std::chrono::seconds(1'800'000'000));

UsageSummary usedDaysAgo(int count, std::int64_t diskBytes = 0, std::int64_t launchAgents = 0) {
    return UsageSummary(now - days(count), false, diskBytes, launchAgents, false, now);
}

TEST(UsageSummary, ProtectedRunningAndUnknownComeFirst) {
    testing::ScopedEnvironment macos{platform::layoutVariable, "macos"};
    EXPECT_EQ(UsageSummary(now, true, 0, 0, true, now),
              (UsageSummary{Level::protected_, "macOS protected app. Tidewell keeps it locked."}));
    EXPECT_EQ(UsageSummary(now - days(400), true, 0, 0, false, now),
              (UsageSummary{Level::active, "Running now, so review carefully before removal."}));
    EXPECT_EQ(UsageSummary(std::nullopt, false, 0, 0, false, now),
              (UsageSummary{Level::unknown, "macOS did not provide a reliable last-used date."}));
}

TEST(UsageSummary, TheFreedesktopLayoutDoesNotNameMacOS) {
    testing::ScopedEnvironment freedesktop{platform::layoutVariable, "freedesktop"};
    EXPECT_EQ(UsageSummary(now, true, 0, 0, true, now).reason, "Protected system app. Tidewell keeps it locked.");
    EXPECT_EQ(UsageSummary(std::nullopt, false, 0, 0, false, now).reason,
              "The system did not provide a reliable last-used date.");
}

TEST(UsageSummary, DayThresholds) {
    EXPECT_EQ(usedDaysAgo(59).level, Level::recentlyUsed);
    EXPECT_EQ(usedDaysAgo(60), (UsageSummary{Level::rarelyUsed, "Rarely opened recently."}));
    EXPECT_EQ(usedDaysAgo(179, 0, 1),
              (UsageSummary{Level::rarelyUsed, "Rarely opened, but background items may still run."}));
    EXPECT_EQ(usedDaysAgo(180, 1),
              (UsageSummary{Level::probablyUnused, "Large apps unused for months are good cleanup candidates."}));
    EXPECT_EQ(usedDaysAgo(-3).level, Level::recentlyUsed);  // a date in the future
}

TEST(UsageSummary, SizeThresholdOfRecentApps) {
    EXPECT_EQ(usedDaysAgo(1, 5'000'000'000).reason, "Opened recently.");
    EXPECT_EQ(usedDaysAgo(1, 5'000'000'001).reason, "Recently used, but it uses significant disk space.");
}

TEST(UsageSummary, LevelRawValues) {
    EXPECT_EQ(rawValue(Level::active), "Active");
    EXPECT_EQ(rawValue(Level::recentlyUsed), "Recently used");
    EXPECT_EQ(rawValue(Level::rarelyUsed), "Rarely used");
    EXPECT_EQ(rawValue(Level::probablyUnused), "Probably unused");
    EXPECT_EQ(rawValue(Level::unknown), "Unknown");
    EXPECT_EQ(rawValue(Level::protected_), "Protected");
}

}  // namespace
}  // namespace tidewell
