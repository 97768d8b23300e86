#include "cleanup/freedesktop/linux_removal.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>

#include "cleanup/app_scope.h"
#include "cleanup/clean_layout.h"
#include "cleanup/freedesktop/startup_switches.h"
#include "cleanup/linux_system_fixture.h"
#include "cleanup/removal_plan.h"
#include "cleanup/sleeping_child.h"
#include "support/thrown_message.h"
#include "support/tree_snapshot.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::LinuxSystemFixture;

// A whole Linux system whose apps leave through the freedesktop layout's real steps.
class LinuxRemovalTest : public ::testing::Test {
protected:
    std::vector<AppInfo> scan() const { return CleanLayouts::active().scanApps(true); }

    static const AppInfo& named(const std::vector<AppInfo>& apps, const std::string& name) {
        const auto found = std::find_if(apps.begin(), apps.end(), [&](const AppInfo& app) { return app.name == name; });
        if (found == apps.end()) throw std::runtime_error(name + " is not listed");
        return *found;
    }

    static std::vector<CleanupCandidate> defaultPlan(const AppInfo& app) {
        std::vector<CleanupCandidate> plan;
        for (const CleanupCandidate& candidate : app.cleanupCandidates)
            if (candidate.isSelectable && candidate.defaultSelected) plan.push_back(candidate);
        return plan;
    }

    RemovalPlanRun carryOut(const AppInfo& app, const std::vector<CleanupCandidate>& plan) const {
        return carryOutRemovalPlan(app, plan, {}, CleanLayouts::active().removalSteps());
    }

    LinuxSystemFixture system;
    testing::ScopedEnvironment language{"LC_ALL", "C"};
};

TEST_F(LinuxRemovalTest, AnAppImageAndALocalAppLeaveWithTheirMenuEntriesAndIcons) {
    const fs::path viewer = LinuxSystemFixture::makeAppImage(system.home() / "Applications", "Viewer.AppImage");
    LinuxSystemFixture::writeDesktopEntry(system.userApplications(), "viewer.desktop",
                                          {{"Type", "Application"},
                                           {"Name", "Viewer"},
                                           {"Exec", viewer.string()},
                                           {"Icon", "viewer"},
                                           {"MimeType", "image/x-viewer;"}});
    const fs::path viewerIcon = system.home() / ".local/share/icons/hicolor/48x48/apps/viewer.png";
    testing::writeFile(viewerIcon, "png");

    const fs::path tool = system.home() / "apps/tool/tool";
    testing::writeFile(tool, "#!/bin/sh\n");
    fs::permissions(tool, fs::perms::owner_all);
    LinuxSystemFixture::writeDesktopEntry(
        system.userApplications(), "tool.desktop",
        {{"Type", "Application"}, {"Name", "Tool"}, {"Exec", tool.string()}, {"Icon", "tool"}});
    const fs::path toolIcon = system.home() / ".local/share/icons/hicolor/scalable/apps/tool.svg";
    testing::writeFile(toolIcon, "<svg/>");
    const fs::path systemIcon = system.system("/usr/share/icons/hicolor/48x48/apps/tool.png");
    testing::writeFile(systemIcon, "theirs");
    const auto rootBefore = testing::treeSnapshot(system.root());

    const std::vector<AppInfo> apps = scan();
    for (const char* name : {"Viewer", "Tool"}) {
        const AppInfo& app = named(apps, name);
        const RemovalPlanRun run = carryOut(app, defaultPlan(app));
        EXPECT_TRUE(run.batch.failed.empty()) << ::testing::PrintToString(run.batch.failed);
        EXPECT_EQ(run.batch.moved.size(), 3u) << ::testing::PrintToString(run.batch.moved);
    }
    EXPECT_EQ(system.trashedFrom("Viewer.AppImage"), viewer.string());
    EXPECT_EQ(system.trashedFrom("viewer.desktop"), (system.userApplications() / "viewer.desktop").string());
    EXPECT_EQ(system.trashedFrom("viewer.png"), viewerIcon.string());
    EXPECT_EQ(system.trashedFrom("tool"), tool.parent_path().string());
    EXPECT_EQ(system.trashedFrom("tool.desktop"), (system.userApplications() / "tool.desktop").string());
    EXPECT_EQ(system.trashedFrom("tool.svg"), toolIcon.string());
    EXPECT_EQ(testing::treeSnapshot(system.root()), rootBefore) << "the system's own icon stays";
    if (testing::haveTool("update-desktop-database")) {
        EXPECT_TRUE(fs::exists(system.userApplications() / "mimeinfo.cache"));
        EXPECT_EQ(testing::readFile(system.userApplications() / "mimeinfo.cache").find("viewer"), std::string::npos)
            << "the menu database was refreshed without the removed entry";
    }
    const std::vector<AppInfo> after = scan();
    EXPECT_TRUE(std::none_of(after.begin(), after.end(),
                             [](const AppInfo& app) { return app.name == "Viewer" || app.name == "Tool"; }));
}

TEST_F(LinuxRemovalTest, ASystemAutostartEntryIsHiddenByAUserCopyAndTheSystemFileStays) {
    ASSERT_EQ(system.installDebianPackage({.name = "tw-notes", .appName = "Notes"}), "");
    const fs::path systemEntry =
        LinuxSystemFixture::writeDesktopEntry(system.system("/etc/xdg/autostart"), "tw-notes-agent.desktop",
                                              {{"Type", "Application"},
                                               {"Name", "Notes agent"},
                                               {"Name[fr]", "Agent de notes"},
                                               {"Exec", "tw-notes --background"}});
    const std::string systemText = testing::readFile(systemEntry);

    const AppInfo notes = named(scan(), "Notes");
    const auto agent =
        std::find_if(notes.cleanupCandidates.begin(), notes.cleanupCandidates.end(),
                     [](const CleanupCandidate& c) { return c.kind == CleanupCandidateKind::launchAgent; });
    ASSERT_NE(agent, notes.cleanupCandidates.end());
    EXPECT_EQ(agent->route, RemovalRoute::hiddenAutostart);
    EXPECT_TRUE(agent->isSelectable);
    const RemovalPlanRun run = carryOut(notes, {*agent});
    EXPECT_EQ(run.summary(""), "Hidden from autostart: Notes agent.");

    const fs::path userCopy = system.home() / ".config/autostart/tw-notes-agent.desktop";
    const std::string copy = testing::readFile(userCopy);
    EXPECT_NE(copy.find("Hidden=true"), std::string::npos);
    EXPECT_NE(copy.find("Exec=tw-notes --background"), std::string::npos);
    EXPECT_NE(copy.find("Name[fr]=Agent de notes"), std::string::npos);
    EXPECT_EQ(testing::readFile(systemEntry), systemText);
    EXPECT_TRUE(named(scan(), "Notes").launchAgents.empty()) << "a hidden entry starts nothing";
    EXPECT_EQ(system.packageState("tw-notes"), "ii ");

    // The user's own entry of that name is what starts; it is never overwritten.
    testing::writeFile(userCopy, "[Desktop Entry]\nExec=mine\n");
    EXPECT_EQ(testing::thrownMessage([&] { Freedesktop::hideSystemAutostartEntry(systemEntry); }),
              "Your autostart folder already has an entry named tw-notes-agent.desktop, and it is the one that "
              "starts.");
    EXPECT_EQ(testing::readFile(userCopy), "[Desktop Entry]\nExec=mine\n");
}

TEST_F(LinuxRemovalTest, AUserUnitIsDisabledWhereAUserManagerRuns) {
    std::string state;
    testing::runTool("systemctl", {"--user", "is-system-running"}, &state);
    if (state.rfind("running", 0) != 0 && state.rfind("degraded", 0) != 0)
        GTEST_SKIP() << "no systemd user manager runs for this user (" << state << ")";
    const fs::path unit = system.home() / ".config/systemd/user/tw-sync.service";
    testing::writeFile(unit, "[Service]\nExecStart=/bin/sleep 600\n[Install]\nWantedBy=default.target\n");
    ASSERT_EQ(testing::runTool("systemctl", {"--user", "daemon-reload"}), 0);
    ASSERT_EQ(testing::runTool("systemctl", {"--user", "enable", "--now", "tw-sync.service"}), 0);
    Freedesktop::removalSteps().switchOffStartupItem(
        {.kind = CleanupCandidateKind::launchAgent, .path = unit.string()});
    EXPECT_NE(testing::runTool("systemctl", {"--user", "is-enabled", "tw-sync.service"}), 0);
    EXPECT_NE(testing::runTool("systemctl", {"--user", "is-active", "tw-sync.service"}), 0);
}

TEST_F(LinuxRemovalTest, ARunningFlatpakIsStoppedThenUninstalledAndItsDataGoesToTheTrash) {
    if (!testing::haveTool("flatpak")) GTEST_SKIP() << "flatpak is needed";
    ASSERT_EQ(system.installFlatpak("org.tidewell.Drawing", "Drawing", "2.0"), "");
    const fs::path data = system.home() / ".var/app/org.tidewell.Drawing";
    testing::writeFile(data / "config/settings.ini", "zoom=2\n");
    testing::AppScope scope("app-flatpak-org.tidewell.Drawing-" + std::to_string(::getpid()) + ".scope");
    if (!scope.made()) GTEST_SKIP() << "this process may not make control groups";
    testing::SleepingChild running(fs::canonical("/bin/sleep"), false);
    ASSERT_TRUE(scope.add(running.pid()));

    const AppInfo drawing = named(scan(), "Drawing");
    ASSERT_TRUE(drawing.isRunning);
    const std::vector<CleanupCandidate> plan = defaultPlan(drawing);
    ASSERT_EQ(plan.size(), 2u) << "the app and its data folder";
    const RemovalPlanRun run = carryOut(drawing, plan);
    EXPECT_EQ(run.quitFailure, std::nullopt);
    EXPECT_EQ(run.summary(""), "Removed by Flatpak: Drawing. Moved to Trash: Flatpak data.");
    EXPECT_EQ(running.endingSignal(), SIGTERM);
    std::string listed;
    testing::runTool("flatpak", {"list", "--user", "--app", "--columns=application"}, &listed);
    EXPECT_EQ(listed.find("org.tidewell.Drawing"), std::string::npos);
    EXPECT_EQ(system.trashedFrom("org.tidewell.Drawing"), data.string());
    const std::vector<AppInfo> after = scan();
    EXPECT_TRUE(std::none_of(after.begin(), after.end(), [](const AppInfo& app) { return app.name == "Drawing"; }));
}

TEST_F(LinuxRemovalTest, AptIsAskedFirstAndAPlanThatTakesARequiredPackageChangesNothing) {
    if (!testing::haveTool("apt-get")) GTEST_SKIP() << "apt-get is needed";
    ASSERT_EQ(system.installDebianPackage({.name = "tw-editor", .appName = "Editor"}), "");
    ASSERT_EQ(system.installDebianPackage({.name = "tw-core", .priority = "required", .depends = "tw-editor"}), "");
    ASSERT_EQ(system.installDebianPackage({.name = "tw-notes", .appName = "Notes"}), "");
    testing::writeFile(system.home() / ".cache/tw-editor/index", std::string(5000, 'i'));
    testing::writeFile(system.home() / ".cache/tw-notes/index", std::string(5000, 'i'));
    const std::vector<AppInfo> apps = scan();

    const AppInfo& editor = named(apps, "Editor");
    const std::vector<CleanupCandidate> editorPlan = defaultPlan(editor);
    ASSERT_EQ(editorPlan.size(), 2u) << "the package and its cache";
    const RemovalPreview preview = Freedesktop::previewRemoval(editor, editorPlan);
    EXPECT_EQ(preview.packages, (std::vector<std::string>{"tw-core", "tw-editor"}));
    EXPECT_EQ(preview.refusal, "apt would also remove packages the system needs: tw-core.");
    const auto homeBefore = testing::treeSnapshot(system.home());
    const auto rootBefore = testing::treeSnapshot(system.root());
    const RemovalPlanRun refused = carryOut(editor, editorPlan);
    EXPECT_EQ(refused.refusal, preview.refusal);
    EXPECT_TRUE(refused.batch.moved.empty());
    EXPECT_EQ(testing::treeSnapshot(system.home()), homeBefore);
    EXPECT_EQ(testing::treeSnapshot(system.root()), rootBefore);

    const AppInfo& notes = named(apps, "Notes");
    const RemovalPlanRun removed = carryOut(notes, defaultPlan(notes));
    EXPECT_TRUE(removed.batch.failed.empty()) << ::testing::PrintToString(removed.batch.failed);
    EXPECT_EQ(removed.summary(""), "Removed by apt: Notes. Moved to Trash: Cache.");
    const std::string state = system.packageState("tw-notes");
    EXPECT_TRUE(state == "absent" || state == "rc " || state == "un ") << state;
    EXPECT_EQ(system.packageState("tw-editor"), "ii ");
    EXPECT_EQ(system.packageState("tw-core"), "ii ");
}

}  // namespace
}  // namespace tidewell
