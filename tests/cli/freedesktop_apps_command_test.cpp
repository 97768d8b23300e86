#include <gtest/gtest.h>

#include "cleanup/clean_layout.h"
#include "cleanup/linux_system_fixture.h"
#include "cli/tidewell_process.h"

namespace tidewell {
namespace {

using testing::LinuxSystemFixture;

// The apps command on a Linux system lists what the freedesktop layout finds.
TEST(FreedesktopAppsCommandTest, ListsTheInstalledSoftwareOfALinuxSystem) {
    if (!testing::haveTool("dpkg") || !testing::haveTool("dpkg-deb")) GTEST_SKIP() << "dpkg and dpkg-deb are needed";
    LinuxSystemFixture system;
    ASSERT_EQ(system.installDebianPackage({.name = "tw-shell", .priority = "required", .appName = "Shell Tool"}), "");
    system.makeSnap("tinysnap", "3.1", "Tiny Snap");
    const auto image = LinuxSystemFixture::makeAppImage(system.home() / "Applications", "Viewer.AppImage");
    const auto homeBefore = testing::treeSnapshot(system.home());
    const auto rootBefore = testing::treeSnapshot(system.root());

    const auto run = testing::runTidewell({"apps", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto listed = run.json()["apps"];
    const std::vector<AppInfo> apps = CleanLayouts::active().scanApps(false);
    ASSERT_EQ(listed.size(), 3u);
    ASSERT_EQ(apps.size(), 3u);
    for (std::size_t index = 0; index < apps.size(); ++index) {
        EXPECT_EQ(listed[index]["path"], apps[index].path);
        EXPECT_EQ(listed[index]["bundleIdentifier"], apps[index].bundleIdentifier);
        EXPECT_EQ(listed[index]["version"], apps[index].version);
        EXPECT_EQ(listed[index]["sizeBytes"], apps[index].sizeBytes);
        EXPECT_EQ(listed[index]["statusText"], apps[index].statusText());
    }
    EXPECT_EQ(listed[0]["bundleIdentifier"], "tinysnap");
    EXPECT_EQ(listed[1]["path"], image.string());
    EXPECT_EQ(listed[2]["bundleIdentifier"], "tw-shell");
    EXPECT_EQ(listed[2]["statusText"], "System Protected");
    EXPECT_EQ(testing::treeSnapshot(system.home()), homeBefore);
    EXPECT_EQ(testing::treeSnapshot(system.root()), rootBefore);
}

}  // namespace
}  // namespace tidewell
