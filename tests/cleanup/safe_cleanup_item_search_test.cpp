#include "cleanup/safe_cleanup_item_search.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

TEST(SafeCleanupItemSearchTest, FoundByCategoryTextsAndPath) {
    const SafeCleanupItem item{"/home/u/Downloads/Setup.dmg",
                               SafeCleanupItem::Category::installers,
                               "Setup.dmg",
                               "/home/u/Downloads/Setup.dmg",
                               2'000'000,
                               "Old installer"};
    EXPECT_TRUE(matchesSearch(item, "installers"));
    EXPECT_TRUE(matchesSearch(item, "downloaded .PKG"));
    EXPECT_TRUE(matchesSearch(item, "setup 2 mb old"));
    EXPECT_FALSE(matchesSearch(item, "logs"));
}

}  // namespace
}  // namespace tidewell
