#include "cleanup/freedesktop/linux_installers.h"

#include <gtest/gtest.h>

#include "cleanup/xdg_home_fixture.h"

namespace tidewell::Freedesktop {
namespace {

namespace fs = std::filesystem;
using testing::XDGHomeFixture;

TEST(LinuxInstallerKinds, ExtensionsIgnoringCase) {
    struct Row {
        const char* name;
        bool installer;
    };
    const Row rows[] = {
        {"tool_1.0_amd64.deb", true},
        {"tool.rpm", true},
        {"Tool-x86_64.AppImage", true},
        {"tool.appimage", true},
        {"org.x.Tool.flatpakref", true},
        {"tool.flatpak", true},
        {"tool_1.snap", true},
        {"setup.RUN", true},
        {"tool.DEB", true},
        {"tool.dmg", false},
        {"tool.zip", false},
        {"tool.deb.part", false},
        {"deb", false},
        {".deb", false},
        {"tool.flatpakrepo", false},
    };
    for (const Row& row : rows) EXPECT_EQ(isInstallerName(row.name), row.installer) << row.name;
}

TEST(LinuxInstallerCandidates, DirectChildrenOfDownloads) {
    XDGHomeFixture fixture;
    XDGHomeFixture::writeSized(fixture.downloads() / "tool_1.0_amd64.deb", 5000);
    XDGHomeFixture::writeSized(fixture.downloads() / "Editor-x86_64.AppImage", 7000);
    XDGHomeFixture::writeSized(fixture.downloads() / "org.example.Viewer.flatpakref", 300);
    XDGHomeFixture::writeSized(fixture.downloads() / "notes.txt", 300);
    XDGHomeFixture::writeSized(fixture.downloads() / ".hidden.deb", 300);
    XDGHomeFixture::writeSized(fixture.downloads() / "nested/other.deb", 300);

    const auto installers = installerCandidates();
    ASSERT_EQ(installers.size(), 3u);
    EXPECT_EQ(installers[0].name, "Editor-x86_64");
    EXPECT_EQ(installers[0].path, (fixture.downloads() / "Editor-x86_64.AppImage").string());
    EXPECT_GE(installers[0].sizeBytes, 7000);
    EXPECT_EQ(installers[1].name, "org.example.Viewer");
    EXPECT_EQ(installers[2].name, "tool_1.0_amd64");
    EXPECT_TRUE(AppScanner::installer(installers[0], "Editor", "Editor"));
}

TEST(LinuxInstallerCandidates, FollowDownloadsOfUserDirs) {
    XDGHomeFixture fixture;
    testing::writeFile(fixture.config() / "user-dirs.dirs", "XDG_DOWNLOAD_DIR=\"$HOME/Fetched\"\n");
    XDGHomeFixture::writeSized(fixture.downloads() / "left.deb", 100);
    XDGHomeFixture::writeSized(fixture.home() / "Fetched/taken.rpm", 100);

    const auto installers = installerCandidates();
    ASSERT_EQ(installers.size(), 1u);
    EXPECT_EQ(installers[0].path, (fixture.home() / "Fetched/taken.rpm").string());
}

}  // namespace
}  // namespace tidewell::Freedesktop
