#include "util/date_codings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace tidewell {
namespace {

using namespace std::chrono;

TEST(DateCodings, Iso8601RoundTrip) {
    const auto date = parseIso8601("2026-12-04T11:22:46Z");
    ASSERT_TRUE(date);
    EXPECT_EQ(date->time_since_epoch(), seconds(1'796'383'366));
    EXPECT_EQ(iso8601String(*date), "2026-12-04T11:22:46Z");
    EXPECT_EQ(iso8601String(*date + milliseconds(999)), "2026-12-04T11:22:46Z");
    EXPECT_EQ(iso8601String(Clock::time_point{}), "1970-01-01T00:00:00Z");
    EXPECT_EQ(iso8601String(Clock::time_point{} - milliseconds(1)), "1969-12-31T23:59:59Z");
    EXPECT_EQ(parseIso8601("2026-12-04T11:22:46.25Z"), *date + milliseconds(250));
    EXPECT_EQ(parseIso8601("2024-02-29T00:00:00Z"), Clock::time_point(seconds(1'709'164'800)));
}

TEST(DateCodings, Iso8601RejectsOtherText) {
    for (const char* text :
         {"", "2026-12-04", "2026-12-04T11:22:46", "2026-12-04T11:22:46+01:00", "2026-12-04 11:22:46Z",
          "2026-13-04T11:22:46Z", "2025-02-29T11:22:46Z", "2026-12-04T24:00:00Z", "2026-12-04T11:60:00Z",
          "2026-12-04T11:22:46.Z", "2026-12-04T11:22:46.5xZ", "+026-12-04T11:22:46Z"}) {
        EXPECT_FALSE(parseIso8601(text)) << text;
    }
}

TEST(DateCodings, SecondsSinceReferenceDate) {
    const auto reference = *parseIso8601("2001-01-01T00:00:00Z");
    EXPECT_EQ(secondsSinceReferenceDate(reference), 0.0);
    EXPECT_EQ(dateFromSecondsSinceReferenceDate(0), reference);
    EXPECT_EQ(iso8601String(dateFromSecondsSinceReferenceDate(818'076'166)), "2026-12-04T11:22:46Z");
    EXPECT_EQ(secondsSinceReferenceDate(*parseIso8601("2026-12-04T11:22:46Z")), 818'076'166.0);
    EXPECT_EQ(secondsSinceReferenceDate(*parseIso8601("1970-01-01T00:00:00Z")), -978'307'200.0);
    EXPECT_EQ(dateFromSecondsSinceReferenceDate(1.5), reference + milliseconds(1500));
}

TEST(DateCodings, UnrepresentableSecondsAreClamped) {
    EXPECT_EQ(dateFromSecondsSinceReferenceDate(1e30), Clock::time_point::max());
    EXPECT_EQ(dateFromSecondsSinceReferenceDate(-std::numeric_limits<double>::infinity()), Clock::time_point::min());
    EXPECT_EQ(dateFromSecondsSinceReferenceDate(std::nan("")), *parseIso8601("2001-01-01T00:00:00Z"));
}

}  // namespace
}  // namespace tidewell
