#include <gtest/gtest.h>

#include <set>

#include "cleanup/linux_system_fixture.h"
#include "cli/tidewell_process.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::LinuxSystemFixture;
using testing::writeFile;

void writeExecutable(const fs::path& path) {
    writeFile(path, "#!/bin/sh\nexit 0\n");
    fs::permissions(path, fs::perms::owner_all);
}

void makeOld(const fs::path& path) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::days(10));
}

// Every path a listing's candidates (or items) name.
std::set<std::string> paths(const nlohmann::json& list) {
    std::set<std::string> found;
    for (const auto& entry : list) found.insert(entry["path"].get<std::string>());
    return found;
}

std::set<std::string> leftoverPaths(const nlohmann::json& groups) {
    std::set<std::string> found;
    for (const auto& group : groups) found.merge(paths(group["candidates"]));
    return found;
}

const nlohmann::json* appWithIdentifier(const nlohmann::json& apps, const std::string& identifier) {
    const nlohmann::json* match = nullptr;
    for (const auto& app : apps) {
        if (app["bundleIdentifier"] != identifier) continue;
        EXPECT_EQ(match, nullptr) << identifier << " is listed twice";
        match = &app;
    }
    return match;
}

// A desktop with software of every origin, its files in the XDG folders, startup items,
// installers, old and new caches and logs, shared places and what removed apps left behind.
class FreedesktopListingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"dpkg", "dpkg-deb", "flatpak"})
            if (!testing::haveTool(tool)) GTEST_SKIP() << tool << " is needed to build the system";
        ASSERT_EQ(system.installDebianPackage({.name = "tw-editor", .version = "2.4-1", .appName = "Tw Editor"}), "");
        ASSERT_EQ(system.installDebianPackage({.name = "tw-base", .priority = "required", .appName = "Base Tool"}), "");
        ASSERT_EQ(system.installFlatpak("org.tidewell.Sketch", "Sketch", "1.2"), "");
        ASSERT_EQ(system.installFlatpak("org.tidewell.Gone", "Gone", "0.9"), "");
        ASSERT_EQ(testing::runTool("flatpak", {"uninstall", "--user", "-y", "--noninteractive", "org.tidewell.Gone"}),
                  0);
        system.makeSnap("tinysnap", "3.1", "Tiny Snap");
        image = LinuxSystemFixture::makeAppImage(home() / "Applications", "Viewer.AppImage");
        writeExecutable(home() / "apps/notepad/notepad");
        LinuxSystemFixture::writeDesktopEntry(
            home() / ".local/share/applications", "notepad.desktop",
            {{"Type", "Application"}, {"Name", "Notepad"}, {"Exec", (home() / "apps/notepad/notepad").string()}});
        writeExecutable(system.system("/usr/bin/pathtool"));

        writeFile(home() / ".var/app/org.tidewell.Sketch/config/sketch.ini", std::string(3000, 's'));
        writeFile(home() / ".var/app/org.tidewell.Gone/data/drawings.db", std::string(5000, 'g'));
        writeFile(home() / "snap/tinysnap/common/state", std::string(2000, 'n'));
        writeFile(home() / ".cache/tw-editor/index", std::string(4000, 'c'));
        writeFile(home() / ".config/tw-editor/settings.conf", std::string(500, 'p'));
        writeFile(home() / ".local/share/tw-editor/library.db", std::string(6000, 'd'));
        writeFile(home() / ".config/oldtool/oldtool.conf", std::string(700, 'o'));
        writeFile(home() / ".cache/oldtool/blob", std::string(9000, 'o'));
        makeOld(home() / ".cache/oldtool");
        writeFile(home() / ".config/pathtool/pathtool.conf", std::string(300, 'x'));
        for (const char* shared : {".config/gtk-3.0/settings.ini", ".config/pulse/cookie", ".local/share/fonts/a.ttf",
                                   ".local/share/applications/mimeinfo.cache"})
            writeFile(home() / shared, std::string(100, 'f'));
        writeFile(home() / ".local/state/old.log", std::string(800, 'l'));
        makeOld(home() / ".local/state/old.log");
        writeFile(home() / ".local/state/new.log", std::string(800, 'l'));
        for (const char* installer : {"tw-editor_2.5_amd64.deb", "Viewer-2.AppImage", "org.tidewell.Sketch.flatpakref"})
            writeFile(home() / "Downloads" / installer, std::string(1500, 'i'));
        LinuxSystemFixture::writeDesktopEntry(home() / ".config/autostart", "tw-editor.desktop",
                                              {{"Type", "Application"}, {"Name", "Editor"}, {"Exec", "tw-editor"}});
        LinuxSystemFixture::writeDesktopEntry(home() / ".config/autostart", "ghost.desktop",
                                              {{"Type", "Application"}, {"Name", "Ghost"}, {"Exec", "ghost-gone"}});
        writeFile(home() / ".config/systemd/user/notepad-sync.service",
                  "[Service]\nExecStart=" + (home() / "apps/notepad/notepad").string() + " --sync\n");
    }

    const fs::path& home() const { return system.home(); }
    std::string at(const std::string& relative) const { return (home() / relative).string(); }

    LinuxSystemFixture system;
    fs::path image;
};

TEST_F(FreedesktopListingsTest, AppsAreListedOnceWithTheirOriginSizesRelatedRowsAndStartupItems) {
    const auto before = std::pair(testing::treeSnapshot(home()), testing::treeSnapshot(system.root()));
    const auto run = testing::runTidewell({"apps", "--related", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json apps = run.json()["apps"];
    ASSERT_EQ(apps.size(), 6u) << apps.dump(1);
    EXPECT_EQ(appWithIdentifier(apps, "org.tidewell.Gone"), nullptr);

    const auto* editor = appWithIdentifier(apps, "tw-editor");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ((*editor)["origin"], "Debian package");
    EXPECT_EQ((*editor)["version"], "2.4-1");
    std::string installedKiB;
    ASSERT_EQ(testing::runTool(
                  "dpkg-query",
                  {"--admindir=" + system.system("/var/lib/dpkg").string(), "-W", "-f=${Installed-Size}", "tw-editor"},
                  &installedKiB),
              0);
    EXPECT_EQ((*editor)["sizeBytes"], std::stoll(installedKiB) * 1024);
    const auto editorRows = paths((*editor)["cleanupCandidates"]);
    for (const char* row : {".cache/tw-editor", ".config/tw-editor", ".local/share/tw-editor",
                            ".config/autostart/tw-editor.desktop", "Downloads/tw-editor_2.5_amd64.deb"})
        EXPECT_TRUE(editorRows.contains(at(row))) << row << " in " << (*editor)["cleanupCandidates"].dump(1);
    ASSERT_EQ((*editor)["launchAgents"].size(), 1u);
    // Folder sizes count the files below them, not the folders' own blocks that du adds.
    EXPECT_EQ((*editor)["cacheBytes"], testing::allocatedBytesByDu(home() / ".cache/tw-editor/index"));

    const auto* base = appWithIdentifier(apps, "tw-base");
    ASSERT_NE(base, nullptr);
    EXPECT_TRUE((*base)["isProtected"].get<bool>());

    const auto* sketch = appWithIdentifier(apps, "org.tidewell.Sketch");
    ASSERT_NE(sketch, nullptr);
    EXPECT_EQ((*sketch)["origin"], "Flatpak");
    EXPECT_EQ((*sketch)["version"], "1.2");
    EXPECT_TRUE(paths((*sketch)["cleanupCandidates"]).contains(at(".var/app/org.tidewell.Sketch")));

    const auto* snap = appWithIdentifier(apps, "tinysnap");
    ASSERT_NE(snap, nullptr);
    EXPECT_EQ((*snap)["origin"], "Snap");
    EXPECT_EQ((*snap)["version"], "3.1");
    EXPECT_TRUE(paths((*snap)["cleanupCandidates"]).contains(at("snap/tinysnap")));

    const auto* viewer = appWithIdentifier(apps, "Viewer");
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ((*viewer)["origin"], "AppImage");
    EXPECT_EQ((*viewer)["path"], image.string());
    EXPECT_EQ((*viewer)["sizeBytes"], testing::allocatedBytesByDu(image));

    const nlohmann::json* notepad = nullptr;
    for (const auto& app : apps)
        if (app["origin"] == "Local") notepad = &app;
    ASSERT_NE(notepad, nullptr);
    EXPECT_EQ((*notepad)["name"], "Notepad");
    ASSERT_EQ((*notepad)["launchAgents"].size(), 1u);
    EXPECT_EQ((*notepad)["launchAgents"][0]["path"], at(".config/systemd/user/notepad-sync.service"));

    EXPECT_EQ(std::pair(testing::treeSnapshot(home()), testing::treeSnapshot(system.root())), before);
}

TEST_F(FreedesktopListingsTest, LeftoversNameWhatRemovedAppsLeftAndNeverSharedOrOwnedPlaces) {
    const auto before = std::pair(testing::treeSnapshot(home()), testing::treeSnapshot(system.root()));
    const auto run = testing::runTidewell({"leftovers", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto found = leftoverPaths(run.json()["leftovers"]);
    for (const char* left :
         {".var/app/org.tidewell.Gone", ".config/oldtool", ".cache/oldtool", ".config/autostart/ghost.desktop"})
        EXPECT_TRUE(found.contains(at(left))) << left << " in " << run.out;
    for (const char* kept : {".var/app/org.tidewell.Sketch", "snap/tinysnap", ".cache/tw-editor", ".config/tw-editor",
                             ".config/pathtool", ".config/gtk-3.0", ".config/pulse", ".local/share/fonts",
                             ".local/share/applications", ".config/autostart/tw-editor.desktop"})
        EXPECT_FALSE(found.contains(at(kept))) << kept;
    EXPECT_EQ(std::pair(testing::treeSnapshot(home()), testing::treeSnapshot(system.root())), before);
}

TEST_F(FreedesktopListingsTest, SafeCleanupOffersInstallersOldLogsAndOldCachesOnly) {
    const auto before = std::pair(testing::treeSnapshot(home()), testing::treeSnapshot(system.root()));
    const auto run = testing::runTidewell({"safe-cleanup", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(paths(run.json()["items"]),
              (std::set<std::string>{at("Downloads/tw-editor_2.5_amd64.deb"), at("Downloads/Viewer-2.AppImage"),
                                     at("Downloads/org.tidewell.Sketch.flatpakref"), at(".local/state/old.log"),
                                     at(".cache/oldtool")}));
    EXPECT_EQ(std::pair(testing::treeSnapshot(home()), testing::treeSnapshot(system.root())), before);
}

}  // namespace
}  // namespace tidewell
