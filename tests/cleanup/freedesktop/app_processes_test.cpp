#include "cleanup/freedesktop/app_processes.h"

#include <gtest/gtest.h>

namespace tidewell::Freedesktop {
namespace {

TEST(AppProcessesTest, ReadsTheSandboxOfAControlGroup) {
    EXPECT_EQ(cgroupOwner("0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                          "app-flatpak-org.gnome.Calculator-41234.scope\n"),
              (CgroupOwner{"org.gnome.Calculator", ""}));
    EXPECT_EQ(cgroupOwner("0::/user.slice/user-1000.slice/user@1000.service/app.slice/"
                          "snap.firefox.firefox-2f6c3e1a-88b0-4a57-9d8e-7c1c1e0d4b21.scope\n"),
              (CgroupOwner{"", "firefox"}));
    EXPECT_EQ(cgroupOwner("12:pids:/user.slice\n0::/user.slice/user-1000.slice/session-2.scope\n"), CgroupOwner{});
    EXPECT_EQ(cgroupOwner("0::/app.slice/app-flatpak-org.x.Y.scope\n"), CgroupOwner{});
    EXPECT_EQ(cgroupOwner(""), CgroupOwner{});
}

TEST(AppProcessesTest, MatchesProcessesByFilesAndSandbox) {
    LinuxApp local;
    local.origin = AppOrigin::local;
    local.path = "/home/u/apps/drawer";
    local.executable = "/home/u/apps/drawer/drawer";
    LinuxApp flatpak;
    flatpak.origin = AppOrigin::flatpak;
    flatpak.identifier = "org.x.Paint";
    flatpak.path = "/var/lib/flatpak/app/org.x.Paint/x86_64/stable/abc";

    const AppProcess helper{{10, "/home/u/apps/drawer/lib/helper", 4096}, {}};
    const AppProcess neighbour{{11, "/home/u/apps/drawer2/drawer", 4096}, {}};
    const AppProcess sandboxed{{12, "/usr/bin/paint", 8192}, {"org.x.Paint", ""}};
    EXPECT_TRUE(runsApp(helper, local));
    EXPECT_FALSE(runsApp(neighbour, local));
    EXPECT_TRUE(runsApp(sandboxed, flatpak));
    EXPECT_FALSE(runsApp(sandboxed, local));
    EXPECT_EQ(appMemory(local, {helper, neighbour, sandboxed}), 4096);
    EXPECT_EQ(appMemory(flatpak, {helper, neighbour, sandboxed}), 8192);
}

}  // namespace
}  // namespace tidewell::Freedesktop
