#include "cleanup/search_matcher.h"

#include <gtest/gtest.h>

#include "cleanup/app_info.h"
#include "cleanup/cleanup_report.h"
#include "cleanup/leftover_group.h"
#include "cleanup/search_fields.h"
#include "support/temporary_folder.h"
#include "util/date_codings.h"

namespace tidewell {
namespace {

using SearchMatcher::matches;

TEST(SearchMatcherTest, EveryWordInSomeField) {
    const std::vector<std::string> fields{"Google Chrome", "/Applications/Google Chrome.app"};
    EXPECT_TRUE(matches("", fields));
    EXPECT_TRUE(matches(" \t\n ", {}));
    EXPECT_TRUE(matches("google chrome", fields));
    EXPECT_TRUE(matches("  CHROME\u3000google\n", fields));
    EXPECT_FALSE(matches("google safari", fields));
    EXPECT_FALSE(matches("x", {}));
    // Words may match different fields in any order.
    EXPECT_TRUE(matches("chrome google", {"com.google.app", "/Applications/Chrome.app"}));
    // Case is compared beyond ASCII.
    EXPECT_TRUE(matches("ÉDITEUR", {"Mon éditeur"}));
}

TEST(SearchMatcherTest, SplitsAtUnicodeWhiteSpace) {
    EXPECT_EQ(SearchMatcher::tokens(" a\u00A0b\u2003c  "), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_TRUE(SearchMatcher::tokens("\u2028 \r\n").empty());
}

TEST(SearchMatcherTest, AppFoundByStatusAndStartupItem) {
    AppInfo app;
    app.name = "Sync Tool";
    app.bundleIdentifier = "com.example.sync";
    app.launchAgents.push_back(LaunchAgentInfo{"/p", "com.example.sync.agent", "/p", "/usr/bin/syncd"});
    app.cleanupCandidates.push_back(CleanupCandidate{"/c", CleanupCandidate::Kind::cache, "Cache", "/c", 10,
                                                     CleanupCandidate::SafetyLevel::safe, "bundle id match"});
    EXPECT_TRUE(matchesSearch(app, "background item"));
    EXPECT_TRUE(matchesSearch(app, "sync.agent syncd"));
    EXPECT_TRUE(matchesSearch(app, "Safe match"));
    EXPECT_TRUE(matchesSearch(app, "unknown"));  // never used: the usage level
    EXPECT_FALSE(matchesSearch(app, "Running"));
}

TEST(SearchMatcherTest, ReportFoundByPathsStatusAndSize) {
    const CleanupReport report =
        CleanupReport::make(dateFromSecondsSinceReferenceDate(786'540'600), "Safe Cleanup",
                            {"/home/u/Library/Caches/old"}, {"/home/u/Downloads/x.dmg: Permission denied"}, 2'500'000);
    EXPECT_TRUE(report.matchesSearch("caches/old"));
    EXPECT_TRUE(report.matchesSearch("permission x.dmg"));
    EXPECT_TRUE(report.matchesSearch("partial 2.5 mb"));
    EXPECT_TRUE(report.matchesSearch("2025"));
    EXPECT_FALSE(report.matchesSearch("completed"));
}

TEST(SearchMatcherTest, ReportDateInAbbreviatedStyle) {
    const testing::ScopedEnvironment zone("TZ", "UTC");
    tzset();
    EXPECT_EQ(reportDateText(dateFromSecondsSinceReferenceDate(786'540'600)), "Dec 4, 2025 at 11:30:00 AM");
    EXPECT_EQ(reportDateText(dateFromSecondsSinceReferenceDate(786'540'600 + 9 * 3600)), "Dec 4, 2025 at 8:30:00 PM");
}

TEST(SearchMatcherTest, GroupFoundByDerivedTexts) {
    const LeftoverGroup group{"com.example.tool",
                              "Tool",
                              "com.example.tool",
                              {CleanupCandidate{"/p", CleanupCandidate::Kind::preferences, "com.example.tool.plist",
                                                "/p", 4096, CleanupCandidate::SafetyLevel::likely, "evidence"}}};
    EXPECT_TRUE(group.matchesSearch("likely from example"));
    EXPECT_TRUE(group.matchesSearch("1 item 4 kb"));
    EXPECT_TRUE(group.matchesSearch("prefs usually safe"));
    EXPECT_FALSE(group.matchesSearch("review"));
}

}  // namespace
}  // namespace tidewell
