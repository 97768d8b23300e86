#include <gtest/gtest.h>

#include "platform/folder_locations.h"
#include "platform/layout_kind.h"
#include "platform/layout_text.h"
#include "platform/xdg_folders.h"
#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnvironment;

TEST(LayoutKind, FreedesktopUnlessTheVariableNamesTheMacOSLayoutAndAnyOtherValueIsRefused) {
    {
        ScopedEnvironment unset{layoutVariable, ""};
        EXPECT_EQ(activeLayoutKind(), LayoutKind::freedesktop);
    }
    {
        ScopedEnvironment macos{layoutVariable, "macos"};
        EXPECT_EQ(activeLayoutKind(), LayoutKind::macos);
    }
    ScopedEnvironment other{layoutVariable, "MacOS"};
    try {
        activeLayoutKind();
        FAIL() << "a value of another case was accepted";
    } catch (const UnknownLayoutError& error) {
        EXPECT_STREQ(error.what(), "TIDEWELL_LAYOUT is \"MacOS\"; it must be \"macos\" or \"freedesktop\".");
    }
}

TEST(LayoutText, TheMacOSWordingOnlyUnderTheMacOSLayout) {
    {
        ScopedEnvironment unset{layoutVariable, std::nullopt};
        EXPECT_EQ(layoutText("macOS", "Linux"), "Linux");
    }
    {
        ScopedEnvironment macos{layoutVariable, "macos"};
        EXPECT_EQ(layoutText("macOS", "Linux"), "macOS");
    }
    ScopedEnvironment other{layoutVariable, "MacOS"};  // refused at start; never an exception here
    EXPECT_EQ(layoutText("macOS", "Linux"), "Linux");
}

TEST(XDGFolders, UserFoldersFollowTheVariablesAndIgnoreRelativeValues) {
    testing::TemporaryHome home;
    const fs::path homePath = home.path();
    ScopedEnvironment cache{"XDG_CACHE_HOME", "/var/cache-elsewhere"};
    ScopedEnvironment config{"XDG_CONFIG_HOME", "relative/config"};
    ScopedEnvironment state{"XDG_STATE_HOME", ""};
    EXPECT_EQ(XDGFolders::cacheHome(), "/var/cache-elsewhere");
    EXPECT_EQ(XDGFolders::configHome(), homePath / ".config");
    EXPECT_EQ(XDGFolders::stateHome(), homePath / ".local/state");
}

TEST(XDGFolders, SystemFoldersHangBelowTheSystemRootAndFallBackToTheDefaults) {
    testing::TemporaryFolder root;
    ScopedEnvironment rooted{FolderLocations::systemRootVariable, root.path().string()};
    {
        ScopedEnvironment dirs{"XDG_DATA_DIRS", "relative:/opt/share/:/usr/share"};
        EXPECT_EQ(XDGFolders::dataDirs(), (std::vector{root.path() / "opt/share/", root.path() / "usr/share"}));
    }
    ScopedEnvironment onlyRelative{"XDG_DATA_DIRS", "share"};
    EXPECT_EQ(XDGFolders::dataDirs(), (std::vector{root.path() / "usr/local/share", root.path() / "usr/share"}));
    ScopedEnvironment noConfigDirs{"XDG_CONFIG_DIRS", ""};
    EXPECT_EQ(XDGFolders::configDirs(), std::vector{root.path() / "etc/xdg"});
}

TEST(FolderLocations, HomePathsStayAndSystemPathsAndPathFoldersHangBelowTheRoot) {
    testing::TemporaryHome home;
    testing::TemporaryFolder root;
    ScopedEnvironment rooted{FolderLocations::systemRootVariable, root.path().string()};
    EXPECT_EQ(FolderLocations::homeOrSystemPath(home.path() / "bin/tool"), home.path() / "bin/tool");
    EXPECT_EQ(FolderLocations::homeOrSystemPath("/usr/bin/tool"), root.path() / "usr/bin/tool");
    {
        ScopedEnvironment path{"PATH", (home.path() / "bin").string() + ":relative:/usr/bin"};
        EXPECT_EQ(FolderLocations::executableSearchFolders("/bin"),
                  (std::vector{home.path() / "bin", root.path() / "usr/bin"}));
    }
    ScopedEnvironment unset{"PATH", std::nullopt};
    EXPECT_EQ(FolderLocations::executableSearchFolders("/bin"), std::vector{root.path() / "bin"});
    EXPECT_TRUE(FolderLocations::executableSearchFolders("").empty());
}

TEST(XDGFolders, TheDownloadsFolderComesFromUserDirsWhenItNamesOne) {
    const fs::path home = "/home/ana";
    const std::string text =
        "# written by xdg-user-dirs-update\n"
        "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "XDG_DOWNLOAD_DIR=\"$HOME/Téléchargements\"\n"
        "XDG_MUSIC_DIR=\"/srv/music\"\n"
        "XDG_VIDEOS_DIR=$HOME/Videos\n";
    EXPECT_EQ(XDGFolders::userDirectory(text, "XDG_DOWNLOAD_DIR", home), home / "Téléchargements");
    EXPECT_EQ(XDGFolders::userDirectory(text, "XDG_MUSIC_DIR", home), "/srv/music");
    EXPECT_EQ(XDGFolders::userDirectory(text, "XDG_VIDEOS_DIR", home), fs::path());
    EXPECT_EQ(XDGFolders::userDirectory(text, "XDG_DESK", home), fs::path());

    testing::TemporaryHome temporaryHome;
    const fs::path homePath = temporaryHome.path();
    ScopedEnvironment config{"XDG_CONFIG_HOME", ""};
    EXPECT_EQ(XDGFolders::downloadsFolder(), homePath / "Downloads");
    testing::writeFile(homePath / ".config/user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/Baixades\"\n");
    EXPECT_EQ(XDGFolders::downloadsFolder(), homePath / "Baixades");
}

}  // namespace
}  // namespace tidewell::platform
