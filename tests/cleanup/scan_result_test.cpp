#include "cleanup/scan_result.h"

#include <gtest/gtest.h>

#include "cleanup/app_layout_fixture.h"

namespace tidewell {
namespace {

TEST(ScanResultTest, LeftoversLeaveOutTheInventoriedApps) {
    const testing::AppLayoutFixture layout;
    layout.makeBundle(layout.system("/Applications"), "Tool", {{"CFBundleIdentifier", "com.example.tool"}});
    testing::writeFile(layout.home() / "Library/Preferences/com.example.tool.plist", std::string(100, 'p'));
    testing::writeFile(layout.home() / "Library/Preferences/com.example.gone.plist", std::string(100, 'p'));

    const AppScanner::ScanResult result = AppScanner::scanAll();
    ASSERT_EQ(result.apps.size(), 1u);
    EXPECT_EQ(result.apps[0].bundleIdentifier, "com.example.tool");
    ASSERT_EQ(result.leftovers.size(), 1u);
    EXPECT_EQ(result.leftovers[0].id, "com.example.gone");
}

}  // namespace
}  // namespace tidewell
