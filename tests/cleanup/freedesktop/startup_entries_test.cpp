#include "cleanup/freedesktop/startup_entries.h"

#include <gtest/gtest.h>

#include "cleanup/xdg_home_fixture.h"

namespace tidewell::Freedesktop {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;
using testing::XDGHomeFixture;

const LaunchAgentInfo* find(const std::vector<LaunchAgentInfo>& items, const fs::path& path) {
    for (const auto& item : items)
        if (item.path == path.string()) return &item;
    return nullptr;
}

TEST(StartupItems, UserAndSystemEntriesAndUnits) {
    XDGHomeFixture fixture;
    const fs::path userAutostart = fixture.config() / "autostart";
    const fs::path systemAutostart = fixture.system("/etc/xdg/autostart");
    XDGHomeFixture::writeDesktopEntry(userAutostart / "notes.desktop", "Notes", "\"/opt/My Notes/notes\" --tray %U");
    XDGHomeFixture::writeDesktopEntry(userAutostart / "viewer.desktop", "Viewer",
                                      "/usr/bin/flatpak run --command=viewer org.example.Viewer");
    XDGHomeFixture::writeDesktopEntry(userAutostart / "off.desktop", "Off", "/usr/bin/off", "Hidden=true\n");
    XDGHomeFixture::writeDesktopEntry(userAutostart / "gnome-off.desktop", "Gnome Off", "/usr/bin/goff",
                                      "X-GNOME-Autostart-enabled=false\n");
    writeFile(userAutostart / "broken.desktop", "no group here\n");
    writeFile(userAutostart / "noexec.desktop", "[Desktop Entry]\nName=No Exec\n");
    writeFile(userAutostart / "readme.txt", "[Desktop Entry]\nExec=/usr/bin/x\n");
    // The user's copy hides the system entry of the same name.
    XDGHomeFixture::writeDesktopEntry(systemAutostart / "off.desktop", "System Off", "/usr/bin/off");
    XDGHomeFixture::writeDesktopEntry(systemAutostart / "agent.desktop", "Agent", "/usr/libexec/agent");

    const fs::path userUnits = fixture.config() / "systemd/user";
    writeFile(userUnits / "syncd.service", "[Service]\nExecStart=/opt/sync/syncd --daemon\nRestart=always\n");
    fs::create_directories(userUnits / "default.target.wants");
    fs::create_symlink(userUnits / "syncd.service", userUnits / "default.target.wants/syncd.service");
    writeFile(userUnits / "idle.service", "[Service]\nExecStart=/opt/idle/idle\n");
    writeFile(fixture.system("/usr/lib/systemd/user/portal.service"),
              "[Service]\nExecStart=-/usr/libexec/portal\nRestart=on-failure\n");
    writeFile(fixture.system("/etc/systemd/user/nothing.service"), "[Service]\nType=oneshot\n");

    const auto items = startupItems();
    ASSERT_EQ(items.size(), 7u);

    const auto* notes = find(items, userAutostart / "notes.desktop");
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->id, notes->path);
    EXPECT_EQ(notes->label, "Notes");
    EXPECT_EQ(notes->program, "/opt/My Notes/notes");
    EXPECT_TRUE(notes->runAtLoad);
    EXPECT_FALSE(notes->keepAlive);
    EXPECT_FALSE(notes->requiresAdmin);
    EXPECT_EQ(notes->helperPath, std::nullopt);

    EXPECT_EQ(find(items, userAutostart / "viewer.desktop")->program,
              "/usr/bin/flatpak run --command=viewer org.example.Viewer");
    // A hidden entry is the switch that keeps the system one off, not a startup item.
    EXPECT_EQ(find(items, userAutostart / "off.desktop"), nullptr);
    EXPECT_FALSE(find(items, userAutostart / "gnome-off.desktop")->runAtLoad);
    EXPECT_EQ(find(items, systemAutostart / "off.desktop"), nullptr);

    const auto* agent = find(items, systemAutostart / "agent.desktop");
    ASSERT_NE(agent, nullptr);
    EXPECT_TRUE(agent->requiresAdmin);
    EXPECT_EQ(agent->reason(), "System-level item. Admin helper is required before Tidewell can change it.");

    const auto* syncd = find(items, userUnits / "syncd.service");
    ASSERT_NE(syncd, nullptr);
    EXPECT_EQ(syncd->label, "syncd.service");
    EXPECT_EQ(syncd->program, "/opt/sync/syncd");
    EXPECT_TRUE(syncd->keepAlive);
    EXPECT_TRUE(syncd->runAtLoad);
    EXPECT_FALSE(syncd->requiresAdmin);
    const auto* idle = find(items, userUnits / "idle.service");
    ASSERT_NE(idle, nullptr);
    EXPECT_FALSE(idle->keepAlive);
    EXPECT_FALSE(idle->runAtLoad);

    const auto* portal = find(items, fixture.system("/usr/lib/systemd/user/portal.service"));
    ASSERT_NE(portal, nullptr);
    EXPECT_EQ(portal->program, "/usr/libexec/portal");
    EXPECT_TRUE(portal->keepAlive);
    EXPECT_TRUE(portal->requiresAdmin);

    // User items come first, then the system ones.
    EXPECT_FALSE(items.front().requiresAdmin);
    EXPECT_TRUE(items.back().requiresAdmin);
}

TEST(StartupItems, StartsAppByExecutableFlatpakIDOrSnapName) {
    LinuxApp package;
    package.origin = AppOrigin::debianPackage;
    package.identifier = "notes";
    package.executable = "/opt/My Notes/notes";
    LinuxApp flatpak;
    flatpak.origin = AppOrigin::flatpak;
    flatpak.identifier = "org.example.Viewer";
    flatpak.executable = "/usr/bin/flatpak";
    LinuxApp snap;
    snap.origin = AppOrigin::snap;
    snap.identifier = "editor";
    snap.executable = "/snap/bin/editor";

    const auto item = [](const std::string& program) {
        return LaunchAgentInfo{"/x", "x", "/x", program, false, true, false, std::nullopt};
    };
    EXPECT_TRUE(startsApp(item("/opt/My Notes/notes"), package));
    EXPECT_TRUE(startsApp(item("notes"), package));
    EXPECT_FALSE(startsApp(item("/usr/bin/notes-sync"), package));

    EXPECT_TRUE(startsApp(item("/usr/bin/flatpak run --command=viewer org.example.Viewer"), flatpak));
    EXPECT_TRUE(startsApp(item("/var/lib/flatpak/exports/bin/org.example.Viewer"), flatpak));
    EXPECT_FALSE(startsApp(item("/usr/bin/flatpak run org.example.Other"), flatpak));
    EXPECT_FALSE(startsApp(item("/usr/bin/flatpak run org.example.Viewer"), package));

    EXPECT_TRUE(startsApp(item("/snap/bin/editor"), snap));
    EXPECT_TRUE(startsApp(item("snap run editor.daemon"), snap));
    EXPECT_FALSE(startsApp(item("snap run editorial"), snap));
}

}  // namespace
}  // namespace tidewell::Freedesktop
