#include "util/relative_date_text.h"

#include <gtest/gtest.h>

#include "util/date_codings.h"

namespace tidewell {
namespace {

using namespace std::chrono;

Clock::time_point at(const char* text) {
    return *parseIso8601(text);
}

const Clock::time_point now = at("2026-12-06T12:00:00Z");

TEST(RelativeDateText, PresentMoment) {
    EXPECT_EQ(tidewellString(now, now), "in 0 sec.");
    EXPECT_EQ(tidewellString(now - milliseconds(400), now), "in 0 sec.");
    EXPECT_EQ(tidewellString(now + milliseconds(400), now), "in 0 sec.");
}

TEST(RelativeDateText, PastUsesTheLargestWholeUnit) {
    EXPECT_EQ(tidewellString(now - seconds(1), now), "1 sec. ago");
    EXPECT_EQ(tidewellString(now - seconds(59), now), "59 sec. ago");
    EXPECT_EQ(tidewellString(now - seconds(60), now), "1 min. ago");
    EXPECT_EQ(tidewellString(now - minutes(5) - seconds(59), now), "5 min. ago");
    EXPECT_EQ(tidewellString(now - hours(2) - minutes(59), now), "2 hr. ago");
    EXPECT_EQ(tidewellString(now - hours(24), now), "1 day ago");
    EXPECT_EQ(tidewellString(now - days(3), now), "3 days ago");
    EXPECT_EQ(tidewellString(now - days(7), now), "1 wk. ago");
    EXPECT_EQ(tidewellString(now - days(29), now), "4 wk. ago");
    EXPECT_EQ(tidewellString(at("2026-11-06T12:00:00Z"), now), "1 mo. ago");
    EXPECT_EQ(tidewellString(at("2026-11-06T12:00:01Z"), now), "4 wk. ago");
    EXPECT_EQ(tidewellString(at("2026-01-07T00:00:00Z"), now), "10 mo. ago");
    EXPECT_EQ(tidewellString(at("2025-12-06T12:00:00Z"), now), "1 yr. ago");
    EXPECT_EQ(tidewellString(at("2023-06-01T00:00:00Z"), now), "3 yr. ago");
}

TEST(RelativeDateText, Future) {
    EXPECT_EQ(tidewellString(now + minutes(5), now), "in 5 min.");
    EXPECT_EQ(tidewellString(now + days(1) + hours(3), now), "in 1 day");
    EXPECT_EQ(tidewellString(at("2027-03-06T12:00:00Z"), now), "in 3 mo.");
}

TEST(RelativeDateText, MonthEndsAreClamped) {
    const auto endOfFebruary = at("2027-02-28T12:00:00Z");
    EXPECT_EQ(tidewellString(at("2027-01-31T12:00:00Z"), endOfFebruary), "1 mo. ago");
}

}  // namespace
}  // namespace tidewell
