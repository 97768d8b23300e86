#include "cleanup/freedesktop/linux_leftovers.h"

#include <gtest/gtest.h>

#include "cleanup/safety_policy.h"
#include "cleanup/xdg_home_fixture.h"
#include "support/tree_snapshot.h"

namespace tidewell::Freedesktop {
namespace {

namespace fs = std::filesystem;
using testing::XDGHomeFixture;
using Kind = CleanupCandidate::Kind;
using Safety = CleanupCandidate::SafetyLevel;

const LeftoverGroup* group(const std::vector<LeftoverGroup>& groups, const std::string& id) {
    for (const auto& candidate : groups)
        if (candidate.id == id) return &candidate;
    return nullptr;
}

InstalledSoftware installedSoftware() {
    InstalledSoftware installed;
    LinuxApp gimp;
    gimp.origin = AppOrigin::flatpak;
    gimp.identifier = "org.gimp.GIMP";
    gimp.name = "GNU Image Manipulation Program";
    installed.apps.push_back(gimp);
    installed.flatpakIDs = {"org.gimp.GIMP"};
    installed.snapNames = {"editor"};
    installed.packageNames = {"libreoffice-common"};
    return installed;
}

TEST(LinuxLeftovers, RemovedSandboxesAndOrphanedFolders) {
    XDGHomeFixture fixture;
    const fs::path var = fixture.home() / ".var/app";
    XDGHomeFixture::writeSized(var / "org.example.Gone/data/d", 90000);
    XDGHomeFixture::writeSized(var / "org.example.Gone/cache/c", 1000);
    XDGHomeFixture::writeSized(var / "org.gimp.GIMP/config/c", 1000);  // installed
    XDGHomeFixture::writeSized(fixture.home() / "snap/oldsnap/common/x", 3000);
    XDGHomeFixture::writeSized(fixture.home() / "snap/editor/common/x", 3000);  // installed
    XDGHomeFixture::writeSized(fixture.config() / "org.example.Gone/settings", 500);
    XDGHomeFixture::writeSized(fixture.cache() / "oldtool/blob", 20000);
    XDGHomeFixture::writeSized(fixture.config() / "oldtoolrc", 200);
    XDGHomeFixture::writeSized(fixture.state() / "OldTool/history", 9000);

    const auto groups = leftovers(installedSoftware());

    const auto* gone = group(groups, "org.example.gone");
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(gone->name, "Gone");
    ASSERT_EQ(gone->candidates.size(), 2u);
    EXPECT_EQ(gone->candidates[0].path, (var / "org.example.Gone").string());
    EXPECT_EQ(gone->candidates[0].kind, Kind::container);
    EXPECT_EQ(gone->candidates[0].safetyLevel, Safety::likely);
    EXPECT_TRUE(gone->candidates[0].defaultSelected);
    EXPECT_EQ(gone->candidates[0].evidence, "Flatpak data name matches removed Flatpak org.example.Gone");
    EXPECT_EQ(gone->candidates[1].path, (fixture.config() / "org.example.Gone").string());
    EXPECT_EQ(gone->candidates[1].safetyLevel, Safety::review);
    EXPECT_FALSE(gone->candidates[1].defaultSelected);

    const auto* snap = group(groups, "oldsnap");
    ASSERT_NE(snap, nullptr);
    EXPECT_EQ(snap->candidates.at(0).evidence, "Snap data name matches removed snap oldsnap");

    const auto* tool = group(groups, "oldtool");
    ASSERT_NE(tool, nullptr);
    EXPECT_EQ(tool->name, "oldtool");
    ASSERT_EQ(tool->candidates.size(), 3u);
    EXPECT_EQ(tool->candidates[0].path, (fixture.cache() / "oldtool").string());
    EXPECT_EQ(tool->candidates[0].kind, Kind::cache);
    EXPECT_EQ(tool->candidates[0].safetyLevel, Safety::safe);
    EXPECT_EQ(tool->candidates[0].evidence, "Cache name matches deleted app name oldtool");
    EXPECT_EQ(tool->candidates[1].path, (fixture.state() / "OldTool").string());
    EXPECT_EQ(tool->candidates[2].path, (fixture.config() / "oldtoolrc").string());
    EXPECT_EQ(tool->candidates[2].kind, Kind::preferences);

    EXPECT_EQ(group(groups, "org.gimp.gimp"), nullptr);
    EXPECT_EQ(group(groups, "editor"), nullptr);
    EXPECT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups.front().id, "org.example.gone");  // largest first

    for (const auto& found : groups)
        for (const auto& candidate : found.candidates)
            EXPECT_TRUE(SafetyPolicy::canMoveStandaloneCandidateToTrash(candidate)) << candidate.path;
}

TEST(LinuxLeftovers, NeverSharedPlacesOrOwnedNames) {
    XDGHomeFixture fixture;
    fixture.makeSystemExecutable("/usr/bin/pipx");
    fixture.makeSystemExecutable("/bin/Htop");
    XDGHomeFixture::writeSized(fixture.home() / ".local/bin/mytool", 10);
    fs::permissions(fixture.home() / ".local/bin/mytool", fs::perms::owner_all);
    testing::ScopedEnvironment path("PATH", "/usr/bin:/bin:" + (fixture.home() / ".local/bin").string());
    for (const char* shared : {"fontconfig", "gnome-shell", "kdeglobals", "plasmashellrc", "thumbnails", "Trash",
                               "autostart", "mesa_shader_cache", "dconf"}) {
        XDGHomeFixture::writeSized(fixture.cache() / shared / "x", 1000);
        XDGHomeFixture::writeSized(fixture.data() / shared / "x", 1000);
    }
    XDGHomeFixture::writeSized(fixture.config() / "mimeapps.list", 100);
    XDGHomeFixture::writeSized(fixture.config() / "user-dirs.dirs", 100);
    XDGHomeFixture::writeSized(fixture.cache() / "pipx/x", 1000);                 // on PATH
    XDGHomeFixture::writeSized(fixture.config() / "htoprc", 1000);                // on PATH, any case
    XDGHomeFixture::writeSized(fixture.config() / "mytool.conf", 1000);           // on PATH in Home
    XDGHomeFixture::writeSized(fixture.config() / "libreoffice-common/x", 1000);  // a package
    XDGHomeFixture::writeSized(fixture.config() / "GIMP/x", 1000);                // an app's key
    XDGHomeFixture::writeSized(fixture.data() / "GNU Image Manipulation Program/x", 1000);
    XDGHomeFixture::writeSized(fixture.cache() / "0f8fad5b-d9cb-469f-a165-70867728950e/x", 1000);
    XDGHomeFixture::writeSized(fixture.cache() / ".hidden/x", 1000);
    fs::create_directories(fixture.cache() / "emptyleft");
    fs::create_symlink(fixture.home() / "Documents", fixture.cache() / "linked");

    EXPECT_EQ(leftovers(installedSoftware()), std::vector<LeftoverGroup>{});
}

TEST(LinuxLeftovers, DanglingAutostartEntries) {
    XDGHomeFixture fixture;
    fixture.makeSystemExecutable("/usr/bin/present");
    const fs::path autostart = fixture.config() / "autostart";
    XDGHomeFixture::writeDesktopEntry(autostart / "present.desktop", "Present", "present --tray");
    XDGHomeFixture::writeDesktopEntry(autostart / "absolute.desktop", "Absolute", "/usr/bin/present");
    XDGHomeFixture::writeDesktopEntry(autostart / "gone.desktop", "Gone Tool", "/opt/gone/gone-tool --min");
    XDGHomeFixture::writeDesktopEntry(autostart / "viewer.desktop", "Viewer", "flatpak run org.example.Viewer");
    XDGHomeFixture::writeDesktopEntry(autostart / "gimp.desktop", "GIMP", "flatpak run org.gimp.GIMP");
    // A hidden copy switching a system entry off is the user's setting, not a leftover.
    XDGHomeFixture::writeDesktopEntry(fixture.system("/etc/xdg/autostart/agent.desktop"), "Agent", "/usr/bin/agent");
    XDGHomeFixture::writeDesktopEntry(autostart / "agent.desktop", "Agent", "/usr/bin/agent", "Hidden=true\n");
    // Once the system entry is gone too, the hidden copy is left over.
    XDGHomeFixture::writeDesktopEntry(autostart / "olddaemon.desktop", "Old", "/usr/bin/olddaemon", "Hidden=true\n");

    const auto groups = leftovers(installedSoftware());
    ASSERT_EQ(groups.size(), 3u);
    const auto* gone = group(groups, "gone-tool");
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(gone->name, "Gone Tool");
    ASSERT_EQ(gone->candidates.size(), 1u);
    EXPECT_EQ(gone->candidates[0].kind, Kind::launchAgent);
    EXPECT_EQ(gone->candidates[0].safetyLevel, Safety::likely);
    EXPECT_EQ(gone->candidates[0].evidence, "Autostart entry runs missing command /opt/gone/gone-tool");
    EXPECT_TRUE(SafetyPolicy::canMoveStandaloneCandidateToTrash(gone->candidates[0]));
    const auto* viewer = group(groups, "org.example.viewer");
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->candidates.at(0).evidence, "Autostart entry runs missing command flatpak run org.example.Viewer");
    EXPECT_NE(group(groups, "olddaemon"), nullptr);
}

TEST(LinuxLeftovers, NothingMoves) {
    XDGHomeFixture fixture;
    XDGHomeFixture::writeSized(fixture.home() / ".var/app/org.example.Gone/data/d", 9000);
    XDGHomeFixture::writeSized(fixture.cache() / "oldtool/blob", 6000);
    XDGHomeFixture::writeDesktopEntry(fixture.config() / "autostart/gone.desktop", "Gone", "/opt/gone/gone");
    const auto homeBefore = testing::treeSnapshot(fixture.home());
    const auto rootBefore = testing::treeSnapshot(fixture.root());
    EXPECT_FALSE(leftovers(installedSoftware()).empty());
    EXPECT_EQ(testing::treeSnapshot(fixture.home()), homeBefore);
    EXPECT_EQ(testing::treeSnapshot(fixture.root()), rootBefore);
}

}  // namespace
}  // namespace tidewell::Freedesktop
