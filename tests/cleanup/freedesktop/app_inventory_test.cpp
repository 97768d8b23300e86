#include "cleanup/freedesktop/app_inventory.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "cleanup/clean_layout.h"
#include "cleanup/linux_system_fixture.h"
#include "support/tree_snapshot.h"

extern char** environ;

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::LinuxSystemFixture;

const AppInfo* appNamed(const std::vector<AppInfo>& apps, const std::string& name) {
    for (const AppInfo& app : apps)
        if (app.name == name) return &app;
    return nullptr;
}

// A program that stays running until the test ends it.
class RunningProgram {
public:
    explicit RunningProgram(const fs::path& program) {
        const std::string path = program.string();
        std::string seconds = "600";
        char* argv[] = {const_cast<char*>(path.c_str()), seconds.data(), nullptr};
        if (posix_spawn(&pid_, path.c_str(), nullptr, nullptr, argv, environ) != 0) pid_ = -1;
        // The spawned child shows its own executable once it has executed it.
        for (int attempt = 0; pid_ > 0 && attempt < 3000; ++attempt) {
            std::error_code error;
            if (fs::read_symlink("/proc/" + std::to_string(pid_) + "/exe", error) == program) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~RunningProgram() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    bool started() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

class AppInventoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::haveTool("dpkg") || !testing::haveTool("dpkg-deb"))
            GTEST_SKIP() << "dpkg and dpkg-deb are needed";
        ASSERT_EQ(system.installDebianPackage({.name = "tw-base", .priority = "important", .appName = "base tool"}),
                  "");
        ASSERT_EQ(system.installDebianPackage({.name = "tw-notes", .version = "4.2", .appName = "notes"}), "");
        system.makeSnap("tinysnap", "3.1", "Tiny Snap");
        viewer = LinuxSystemFixture::makeAppImage(system.home() / "Applications", "Viewer.AppImage");
        viewerIcon = system.home() / ".local/share/icons/viewer.svg";
        testing::writeFile(viewerIcon, "<svg/>");
        LinuxSystemFixture::writeDesktopEntry(
            system.home() / ".local/share/applications", "viewer.desktop",
            {{"Type", "Application"}, {"Name", "Viewer"}, {"Exec", viewer.string()}, {"Icon", viewerIcon.string()}});

        sleeper = system.home() / "apps/sleeper/sleeper";
        fs::create_directories(sleeper.parent_path());
        fs::copy_file("/bin/sleep", sleeper);
        LinuxSystemFixture::writeDesktopEntry(
            system.home() / ".local/share/applications", "sleeper.desktop",
            {{"Type", "Application"}, {"Name", "Sleeper"}, {"Exec", sleeper.string()}, {"Icon", "sleeper"}});
        testing::writeFile(system.home() / ".local/share/icons/hicolor/48x48/apps/sleeper.png", "small");
        testing::writeFile(system.system("/usr/share/icons/hicolor/256x256/apps/sleeper.png"), "large");
    }

    LinuxSystemFixture system;
    fs::path viewer;
    fs::path viewerIcon;
    fs::path sleeper;
};

TEST_F(AppInventoryTest, DescribesEachAppInTheInventoryOrder) {
    const std::vector<AppInfo> apps = CleanLayouts::active().scanApps(false);
    std::vector<std::string> names;
    for (const AppInfo& app : apps) names.push_back(app.name);
    // Unprotected first, then by name ignoring case.
    EXPECT_EQ(names, (std::vector<std::string>{"notes", "Sleeper", "Tiny Snap", "Viewer", "base tool"}));

    const AppInfo* notes = appNamed(apps, "notes");
    ASSERT_NE(notes, nullptr);
    EXPECT_EQ(notes->id, system.system("/usr/share/applications/tw-notes.desktop").string());
    EXPECT_EQ(notes->bundleIdentifier, "tw-notes");
    EXPECT_EQ(notes->version, "4.2");
    EXPECT_EQ(notes->path, system.system("/usr/bin/tw-notes").string());
    EXPECT_EQ(notes->sizeBytes, 64 * 1024);
    EXPECT_FALSE(notes->isProtected);
    ASSERT_FALSE(notes->cleanupCandidates.empty());
    const CleanupCandidate& package = notes->cleanupCandidates.front();
    EXPECT_EQ(package.kind, CleanupCandidate::Kind::appBundle);
    EXPECT_EQ(package.path, notes->path);
    EXPECT_EQ(package.sizeBytes, notes->sizeBytes);
    // apt removes the package, after a simulation the plan shows.
    EXPECT_TRUE(package.isSelectable);
    EXPECT_TRUE(package.defaultSelected);
    EXPECT_EQ(package.route, RemovalRoute::apt);

    const AppInfo* snap = appNamed(apps, "Tiny Snap");
    ASSERT_NE(snap, nullptr);
    EXPECT_EQ(snap->icon, system.system("/snap/tinysnap/current/meta/gui/icon.png"));
    EXPECT_EQ(snap->cleanupCandidates.front().route, RemovalRoute::snap);

    const AppInfo* image = appNamed(apps, "Viewer");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->id, (system.home() / ".local/share/applications/viewer.desktop").string());
    EXPECT_EQ(image->bundleIdentifier, "Viewer");
    EXPECT_EQ(image->icon, viewerIcon);
    const CleanupCandidate& file = image->cleanupCandidates.front();
    EXPECT_EQ(file.path, viewer.string());
    EXPECT_TRUE(file.isSelectable);
    EXPECT_TRUE(file.defaultSelected);
    EXPECT_EQ(file.route, RemovalRoute::trash);

    const AppInfo* sleeperApp = appNamed(apps, "Sleeper");
    ASSERT_NE(sleeperApp, nullptr);
    EXPECT_EQ(sleeperApp->path, sleeper.parent_path().string());
    EXPECT_EQ(sleeperApp->icon, system.system("/usr/share/icons/hicolor/256x256/apps/sleeper.png"));
    EXPECT_TRUE(sleeperApp->cleanupCandidates.front().isSelectable);
    EXPECT_FALSE(sleeperApp->isRunning);
    EXPECT_TRUE(sleeperApp->lastUsedDate.has_value());

    const AppInfo* base = appNamed(apps, "base tool");
    ASSERT_NE(base, nullptr);
    EXPECT_TRUE(base->isProtected);
    const CleanupCandidate& locked = base->cleanupCandidates.front();
    EXPECT_EQ(locked.safetyLevel, CleanupCandidate::SafetyLevel::protected_);
    EXPECT_FALSE(locked.isSelectable);
    EXPECT_EQ(locked.route, RemovalRoute::apt);

    for (const AppInfo& app : apps) {
        EXPECT_EQ(app.relatedBytes, 0) << app.name;
        EXPECT_TRUE(app.launchAgents.empty()) << app.name;
        EXPECT_EQ(app.installerCount, 0) << app.name;
    }
}

TEST_F(AppInventoryTest, ARunningProgramMakesItsAppRunning) {
    RunningProgram running(sleeper);
    ASSERT_TRUE(running.started());
    const std::vector<AppInfo> apps = CleanLayouts::active().scanApps(false);
    const AppInfo* sleeperApp = appNamed(apps, "Sleeper");
    ASSERT_NE(sleeperApp, nullptr);
    EXPECT_TRUE(sleeperApp->isRunning);
    EXPECT_GT(sleeperApp->memoryBytes, 0);
    EXPECT_EQ(sleeperApp->statusText(), "Running");
    EXPECT_FALSE(appNamed(apps, "notes")->isRunning);
}

// The access date of a program file is when it last ran; reading an AppImage's header, or
// listing an app's folders to measure them, must not make it look just used.
TEST_F(AppInventoryTest, LastUseIsTheProgramsOwnAccessDateAndTheScanLeavesItAlone) {
    const auto monthAgo = std::chrono::system_clock::now() - std::chrono::days(30);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(monthAgo.time_since_epoch()).count();
    const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {0, UTIME_OMIT}};
    ASSERT_EQ(::utimensat(AT_FDCWD, viewer.c_str(), times, 0), 0);
    for (const bool related : {false, true}) {
        const std::vector<AppInfo> apps = CleanLayouts::active().scanApps(related);
        const auto app =
            std::find_if(apps.begin(), apps.end(), [&](const AppInfo& info) { return info.path == viewer; });
        ASSERT_NE(app, apps.end());
        ASSERT_TRUE(app->lastUsedDate.has_value());
        EXPECT_LT(std::chrono::abs(*app->lastUsedDate - monthAgo), std::chrono::seconds(2));
        const auto snap = std::find_if(apps.begin(), apps.end(),
                                       [](const AppInfo& info) { return info.bundleIdentifier == "tinysnap"; });
        ASSERT_NE(snap, apps.end());
        EXPECT_FALSE(snap->lastUsedDate && *snap->lastUsedDate > monthAgo + std::chrono::days(29))
            << "measuring the snap's folder made it look just used";
    }
}

TEST_F(AppInventoryTest, TheFullScanMovesNothing) {
    const auto homeBefore = testing::treeSnapshot(system.home());
    const auto rootBefore = testing::treeSnapshot(system.root());
    EXPECT_EQ(CleanLayouts::active().scanApps(true).size(), 5u);
    CleanLayouts::active().scanSafeCleanup();
    EXPECT_EQ(testing::treeSnapshot(system.home()), homeBefore);
    EXPECT_EQ(testing::treeSnapshot(system.root()), rootBefore);
}

}  // namespace
}  // namespace tidewell
