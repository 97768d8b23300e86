#include <gtest/gtest.h>

#include <map>

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

// Each candidate of the related listing names the way it would go.
TEST(FreedesktopAppsCommandTest, RelatedListingNamesEachCandidatesRoute) {
    if (!testing::haveTool("dpkg") || !testing::haveTool("dpkg-deb")) GTEST_SKIP() << "dpkg and dpkg-deb are needed";
    LinuxSystemFixture system;
    ASSERT_EQ(system.installDebianPackage({.name = "tw-notes", .appName = "Notes"}), "");
    LinuxSystemFixture::writeDesktopEntry(
        system.system("/etc/xdg/autostart"), "tw-notes-tray.desktop",
        {{"Type", "Application"}, {"Name", "Notes Tray"}, {"Exec", "tw-notes --tray"}});
    testing::writeFile(system.home() / ".cache/tw-notes/index", std::string(4000, 'i'));
    system.makeSnap("tinysnap", "3.1", "Tiny Snap");
    testing::writeFile(system.home() / "snap/tinysnap/common/data", std::string(2000, 's'));
    LinuxSystemFixture::makeAppImage(system.home() / "Applications", "Viewer.AppImage");

    const auto run = testing::runTidewell({"apps", "--related", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::map<std::string, std::string> routes;  // "<app> / <candidate label>" to its route
    const auto apps = run.json()["apps"];
    for (const auto& app : apps)
        for (const auto& candidate : app["cleanupCandidates"])
            routes[app["name"].get<std::string>() + " / " + candidate["label"].get<std::string>()] = candidate["route"];
    EXPECT_EQ(routes, (std::map<std::string, std::string>{{"Notes / Notes", "Removed by apt"},
                                                          {"Notes / Cache", "Moved to Trash"},
                                                          {"Notes / Notes Tray", "Hidden from autostart"},
                                                          {"Tiny Snap / Tiny Snap", "Removed by snapd"},
                                                          {"Tiny Snap / Snap data", "Moved to Trash"},
                                                          {"Viewer / Viewer", "Moved to Trash"}}));
}

}  // namespace
}  // namespace tidewell
