#include "cleanup/cleanup_report.h"

#include <gtest/gtest.h>

#include "util/date_codings.h"

namespace tidewell {
namespace {

TEST(CleanupReportTest, StatusFollowsMovedAndFailedItems) {
    const auto now = std::chrono::system_clock::now();
    EXPECT_EQ(CleanupReport::make(now, "A", {"/a"}, {}, 1).statusText(), "Completed");
    EXPECT_EQ(CleanupReport::make(now, "A", {}, {}, 0).statusText(), "Completed");
    EXPECT_EQ(CleanupReport::make(now, "A", {"/a"}, {"/b: denied"}, 1).statusText(), "Partial");
    EXPECT_EQ(CleanupReport::make(now, "A", {}, {"/b: denied"}, 0).statusText(), "Failed");
}

TEST(CleanupReportTest, RecoveredTextAndFreshIds) {
    const auto now = std::chrono::system_clock::now();
    const CleanupReport first = CleanupReport::make(now, "A", {}, {}, 1'500'000);
    EXPECT_EQ(first.recoveredText(), "1.5 MB");
    EXPECT_EQ(first.id.size(), 36u);
    EXPECT_NE(first.id, CleanupReport::make(now, "A", {}, {}, 0).id);
}

}  // namespace
}  // namespace tidewell
