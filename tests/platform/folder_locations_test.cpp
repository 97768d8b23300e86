#include "platform/folder_locations.h"

#include <gtest/gtest.h>

#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;
namespace folders = FolderLocations;

TEST(FolderLocations, MacLayoutBelowTheRealRootAndHome) {
    testing::ScopedEnvironment root(folders::systemRootVariable, std::nullopt);
    testing::ScopedEnvironment home("HOME", "/home/tester");
    EXPECT_EQ(folders::systemRoot(), "/");
    EXPECT_EQ(folders::applicationsFolder(), "/Applications");
    EXPECT_EQ(folders::userApplicationsFolder(), "/home/tester/Applications");
    EXPECT_EQ(folders::systemApplicationsFolder(), "/System/Applications");
    EXPECT_EQ(folders::systemFolder(), "/System");
    EXPECT_EQ(folders::userLibraryFolder(), "/home/tester/Library");
    EXPECT_EQ(folders::userCachesFolder(), "/home/tester/Library/Caches");
    EXPECT_EQ(folders::userApplicationSupportFolder(), "/home/tester/Library/Application Support");
    EXPECT_EQ(folders::userPreferencesFolder(), "/home/tester/Library/Preferences");
    EXPECT_EQ(folders::userSavedApplicationStateFolder(), "/home/tester/Library/Saved Application State");
    EXPECT_EQ(folders::userLogsFolder(), "/home/tester/Library/Logs");
    EXPECT_EQ(folders::userLaunchAgentsFolder(), "/home/tester/Library/LaunchAgents");
    EXPECT_EQ(folders::userDownloadsFolder(), "/home/tester/Downloads");
    EXPECT_EQ(folders::systemLaunchAgentsFolder(), "/Library/LaunchAgents");
    EXPECT_EQ(folders::systemLaunchDaemonsFolder(), "/Library/LaunchDaemons");
    EXPECT_EQ(folders::privilegedHelperToolsFolder(), "/Library/PrivilegedHelperTools");
}

TEST(FolderLocations, SystemFoldersFollowTheRerootingSetting) {
    testing::ScopedEnvironment home("HOME", "/home/tester");
    testing::ScopedEnvironment root(folders::systemRootVariable, "/tmp/fake-root/");
    EXPECT_EQ(folders::applicationsFolder(), "/tmp/fake-root/Applications");
    EXPECT_EQ(folders::systemApplicationsFolder(), "/tmp/fake-root/System/Applications");
    EXPECT_EQ(folders::systemFolder(), "/tmp/fake-root/System");
    EXPECT_EQ(folders::systemLaunchAgentsFolder(), "/tmp/fake-root/Library/LaunchAgents");
    EXPECT_EQ(folders::systemLaunchDaemonsFolder(), "/tmp/fake-root/Library/LaunchDaemons");
    EXPECT_EQ(folders::privilegedHelperToolsFolder(), "/tmp/fake-root/Library/PrivilegedHelperTools");
    // Home is the user's and never re-rooted.
    EXPECT_EQ(folders::userApplicationsFolder(), "/home/tester/Applications");

    testing::ScopedEnvironment empty(folders::systemRootVariable, "");
    EXPECT_EQ(folders::applicationsFolder(), "/Applications");
}

}  // namespace
}  // namespace tidewell::platform
