#include "cleanup/freedesktop/installed_software.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

#include "cleanup/app_layout_fixture.h"
#include "cleanup/clean_layout.h"
#include "cleanup/linux_system_fixture.h"
#include "support/tree_snapshot.h"
#include "util/path_containment.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using Freedesktop::AppOrigin;
using Freedesktop::LinuxApp;
using testing::LinuxSystemFixture;

std::vector<const LinuxApp*> appsNamed(const Freedesktop::InstalledSoftware& software, const std::string& name) {
    std::vector<const LinuxApp*> found;
    for (const LinuxApp& app : software.apps)
        if (app.name == name) found.push_back(&app);
    return found;
}

const LinuxApp& onlyApp(const Freedesktop::InstalledSoftware& software, const std::string& name) {
    static const LinuxApp none;
    const auto found = appsNamed(software, name);
    EXPECT_EQ(found.size(), 1u) << name;
    return found.empty() ? none : *found.front();
}

std::string dpkgQueryField(const LinuxSystemFixture& system, const std::string& package, const std::string& field) {
    std::string output;
    EXPECT_EQ(
        testing::runTool(
            "dpkg-query",
            {"--admindir=" + system.system("/var/lib/dpkg").string(), "-W", "-f=${" + field + "}", package}, &output),
        0);
    return output;
}

bool haveInstallTools() {
    return testing::haveTool("dpkg") && testing::haveTool("dpkg-deb") && testing::haveTool("dpkg-query");
}

// Packages, a snap, AppImages and a local app, with the entries a menu hides.
class InstalledSoftwareTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveInstallTools()) GTEST_SKIP() << "dpkg, dpkg-deb and dpkg-query are needed";
        ASSERT_EQ(system.installDebianPackage(
                      {.name = "tw-editor", .version = "1.2-3", .installedKiB = 40, .appName = "Editor"}),
                  "");
        ASSERT_EQ(system.installDebianPackage({.name = "tw-core",
                                               .version = "7.0",
                                               .priority = "required",
                                               .installedKiB = 900,
                                               .appName = "Core Tool"}),
                  "");
        system.makeSnap("tinysnap", "3.1", "Tiny Snap");
        viewer = LinuxSystemFixture::makeAppImage(system.home() / "Applications", "Viewer-1.0.AppImage", 2, 30000);
        LinuxSystemFixture::makeAppImage(system.home() / "AppImages", "Old.AppImage", 1);
        testing::writeFile(system.home() / "Applications/plain.bin", std::string("\x7f"
                                                                                 "ELF\2\1\1\0\0\0\0\0",
                                                                                 12));
        fs::create_symlink(viewer, system.home() / "AppImages/Viewer-link.AppImage");

        drawer = system.home() / "apps/drawer";
        testing::writeFile(drawer / "data/shapes.dat", std::string(50000, 's'));
        testing::writeFile(drawer / "drawer", "#!/bin/sh\nexit 0\n");
        fs::permissions(drawer / "drawer", fs::perms::owner_all);
        const fs::path userEntries = system.home() / ".local/share/applications";
        LinuxSystemFixture::writeDesktopEntry(userEntries, "drawer.desktop",
                                              {{"Type", "Application"},
                                               {"Name", "Drawer"},
                                               {"Name[de]", "Zeichner"},
                                               {"Exec", (drawer / "drawer").string() + " %f"},
                                               {"TryExec", (drawer / "drawer").string()}});
        // The user's copy of a package's entry shadows it.
        LinuxSystemFixture::writeDesktopEntry(
            userEntries, "tw-editor.desktop",
            {{"Type", "Application"}, {"Name", "My Editor"}, {"Exec", "env EDITOR_MODE=1 tw-editor"}});
        const fs::path entries = system.system("/usr/share/applications");
        LinuxSystemFixture::writeDesktopEntry(
            entries, "tw-core-settings.desktop",
            {{"Type", "Application"}, {"Name", "Hidden Settings"}, {"Exec", "tw-core"}, {"NoDisplay", "true"}});
        LinuxSystemFixture::writeDesktopEntry(
            entries, "tw-core-gone.desktop",
            {{"Type", "Application"}, {"Name", "Deleted Tool"}, {"Exec", "tw-core"}, {"Hidden", "true"}});
        // /usr/bin/env exists on the real system, not below the root.
        LinuxSystemFixture::writeDesktopEntry(
            entries, "tw-core-env.desktop",
            {{"Type", "Application"}, {"Name", "Not Here"}, {"Exec", "tw-core"}, {"TryExec", "/usr/bin/env"}});
        LinuxSystemFixture::writeDesktopEntry(
            entries, "tw-core-missing.desktop",
            {{"Type", "Application"}, {"Name", "Not On Path"}, {"Exec", "tw-core"}, {"TryExec", "tw-nowhere"}});
        // A second menu entry of a package that owns the program.
        LinuxSystemFixture::writeDesktopEntry(entries, "tw-core-extra.desktop",
                                              {{"Type", "Application"}, {"Name", "Core Extra"}, {"Exec", "tw-core"}});
        LinuxSystemFixture::writeDesktopEntry(entries, "tw-core-link.desktop",
                                              {{"Type", "Link"}, {"Name", "A Link"}, {"URL", "https://example.org"}});
    }

    LinuxSystemFixture system;
    fs::path viewer;
    fs::path drawer;
};

TEST_F(InstalledSoftwareTest, ListsEveryAppOnceWithItsOrigin) {
    testing::ScopedEnvironment language("LANGUAGE", "de");
    const Freedesktop::InstalledSoftware software = Freedesktop::scanInstalledSoftware();
    std::vector<std::string> names;
    for (const LinuxApp& app : software.apps) names.push_back(app.name);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"Core Tool", "My Editor", "Old", "Tiny Snap", "Viewer-1.0", "Zeichner"}));

    const LinuxApp& editor = onlyApp(software, "My Editor");
    EXPECT_EQ(editor.origin, AppOrigin::debianPackage);
    EXPECT_EQ(editor.identifier, "tw-editor");
    EXPECT_EQ(editor.version, "1.2-3");
    EXPECT_EQ(editor.desktopEntry, system.home() / ".local/share/applications/tw-editor.desktop");
    EXPECT_EQ(editor.path, system.system("/usr/bin/tw-editor"));
    EXPECT_EQ(editor.sizeBytes, std::stoll(dpkgQueryField(system, "tw-editor", "Installed-Size")) * 1024);
    EXPECT_FALSE(editor.isProtected);
    EXPECT_TRUE(editor.installedDate.has_value());

    const LinuxApp& core = onlyApp(software, "Core Tool");
    EXPECT_EQ(core.origin, AppOrigin::debianPackage);
    EXPECT_EQ(core.identifier, "tw-core");
    EXPECT_EQ(core.sizeBytes, 900 * 1024);
    EXPECT_TRUE(core.isProtected);

    const LinuxApp& snap = onlyApp(software, "Tiny Snap");
    EXPECT_EQ(snap.origin, AppOrigin::snap);
    EXPECT_EQ(snap.identifier, "tinysnap");
    EXPECT_EQ(snap.version, "3.1");
    EXPECT_EQ(snap.path, system.system("/snap/tinysnap/current"));
    EXPECT_EQ(snap.sizeBytes, testing::allocatedBytesByFind(system.system("/snap/tinysnap/42")));

    const LinuxApp& image = onlyApp(software, "Viewer-1.0");
    EXPECT_EQ(image.origin, AppOrigin::appImage);
    EXPECT_EQ(image.identifier, "Viewer-1.0");
    EXPECT_EQ(image.version, "-");
    EXPECT_EQ(image.path, viewer);
    EXPECT_EQ(image.sizeBytes, testing::allocatedBytesByDu(viewer));
    EXPECT_EQ(onlyApp(software, "Old").path, system.home() / "AppImages/Old.AppImage");

    const LinuxApp& local = onlyApp(software, "Zeichner");
    EXPECT_EQ(local.origin, AppOrigin::local);
    EXPECT_EQ(local.identifier, "drawer.desktop");
    EXPECT_EQ(local.path, drawer);
    EXPECT_EQ(local.executable, drawer / "drawer");
    EXPECT_EQ(local.sizeBytes, testing::allocatedBytesByFind(drawer));

    EXPECT_EQ(software.packageNames, (std::set<std::string>{"tw-core", "tw-editor"}));
    EXPECT_EQ(software.snapNames, (std::set<std::string>{"tinysnap"}));
    EXPECT_TRUE(software.flatpakIDs.empty());
}

TEST_F(InstalledSoftwareTest, ScanningMovesNothing) {
    const auto homeBefore = testing::treeSnapshot(system.home());
    const auto rootBefore = testing::treeSnapshot(system.root());
    EXPECT_FALSE(Freedesktop::scanInstalledSoftware().apps.empty());
    EXPECT_EQ(testing::treeSnapshot(system.home()), homeBefore);
    EXPECT_EQ(testing::treeSnapshot(system.root()), rootBefore);
}

TEST_F(InstalledSoftwareTest, AnAppImageMenuEntryNamesTheImage) {
    LinuxSystemFixture::writeDesktopEntry(system.home() / ".local/share/applications", "viewer.desktop",
                                          {{"Type", "Application"}, {"Name", "Viewer"}, {"Exec", viewer.string()}});
    const Freedesktop::InstalledSoftware software = Freedesktop::scanInstalledSoftware();
    const LinuxApp& image = onlyApp(software, "Viewer");
    EXPECT_EQ(image.origin, AppOrigin::appImage);
    EXPECT_EQ(image.path, viewer);
    EXPECT_EQ(image.desktopFileID, "viewer.desktop");
    EXPECT_TRUE(appsNamed(software, "Viewer-1.0").empty());
}

TEST(InstalledFlatpakTest, ListsAUserFlatpakWithItsSizeAndVersion) {
    if (!testing::haveTool("flatpak")) GTEST_SKIP() << "flatpak is needed";
    LinuxSystemFixture system;
    const std::string failure = system.installFlatpak("org.tidewell.Hello", "Hello Flat", "2.5.1");
    if (!failure.empty()) GTEST_SKIP() << "a Flatpak cannot be installed here: " << failure;
    testing::writeFile(system.home() / ".var/app/org.tidewell.Hello/data/notes.txt", "notes");

    const auto homeBefore = testing::treeSnapshot(system.home());
    const Freedesktop::InstalledSoftware software = Freedesktop::scanInstalledSoftware();
    EXPECT_EQ(testing::treeSnapshot(system.home()), homeBefore);
    ASSERT_EQ(software.apps.size(), 1u);
    const LinuxApp& app = software.apps.front();
    EXPECT_EQ(app.origin, AppOrigin::flatpak);
    EXPECT_EQ(app.name, "Hello Flat");
    EXPECT_EQ(app.identifier, "org.tidewell.Hello");
    EXPECT_EQ(app.desktopFileID, "org.tidewell.Hello.desktop");
    EXPECT_EQ(app.version, "2.5.1");
    EXPECT_EQ(app.flatpakInstallation, "user");
    EXPECT_TRUE(fs::is_directory(app.path / "files/bin")) << app.path;
    std::string size;
    ASSERT_EQ(testing::runTool("flatpak", {"info", "--user", "--show-size", "org.tidewell.Hello"}, &size), 0);
    EXPECT_EQ(app.sizeBytes, std::stoll(size));
    EXPECT_EQ(software.flatpakIDs, (std::set<std::string>{"org.tidewell.Hello"}));

    // The app as the pages show it: its exported entry, removed by Flatpak, its data folder in use.
    const std::vector<AppInfo> apps = CleanLayouts::active().scanApps(false);
    ASSERT_EQ(apps.size(), 1u);
    EXPECT_EQ(apps.front().id,
              (system.home() / ".local/share/flatpak/exports/share/applications/org.tidewell.Hello.desktop").string());
    EXPECT_EQ(apps.front().version, "2.5.1");
    ASSERT_FALSE(apps.front().cleanupCandidates.empty());
    EXPECT_EQ(apps.front().cleanupCandidates.front().route, RemovalRoute::flatpak);
    EXPECT_TRUE(apps.front().cleanupCandidates.front().isSelectable);
    EXPECT_TRUE(apps.front().lastUsedDate.has_value());
}

TEST(InstalledFlatpakTest, ListsASystemFlatpakBelowTheRoot) {
    if (!testing::haveTool("flatpak")) GTEST_SKIP() << "flatpak is needed";
    if (geteuid() != 0) GTEST_SKIP() << "only root writes a system installation without the system helper";
    LinuxSystemFixture system;
    const std::string failure = system.installFlatpak("org.tidewell.Shared", "Shared Flat", "1.0", true);
    if (!failure.empty()) GTEST_SKIP() << "a Flatpak cannot be installed here: " << failure;

    const Freedesktop::InstalledSoftware software = Freedesktop::scanInstalledSoftware();
    ASSERT_EQ(software.apps.size(), 1u);
    const LinuxApp& app = software.apps.front();
    EXPECT_EQ(app.origin, AppOrigin::flatpak);
    EXPECT_EQ(app.identifier, "org.tidewell.Shared");
    EXPECT_EQ(app.flatpakInstallation, "system");
    EXPECT_EQ(app.desktopEntry,
              system.system("/var/lib/flatpak/exports/share/applications/org.tidewell.Shared.desktop"));
    EXPECT_TRUE(isPathInside(app.path, system.system("/var/lib/flatpak"))) << app.path;
}

}  // namespace
}  // namespace tidewell
