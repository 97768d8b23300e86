#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <mutex>

#include "cleanup/cleanup_batch.h"
#include "cleanup/report_store.h"
#include "cleanup/trash_executor.h"
#include "model/app_model.h"
#include "model/running_application_bundle.h"
#include "model/scripted_desktop.h"
#include "model/workflow_fixture.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using Kind = CleanupCandidateKind;
using testing::workflowTimeout;
using testing::writeFile;

std::vector<std::string> labels(const std::vector<CleanupCandidate>& candidates) {
    std::vector<std::string> result;
    for (const CleanupCandidate& candidate : candidates) result.push_back(candidate.label);
    return result;
}

// The real engines, with every move recorded and the moves of chosen paths failing.
class CleanupWorkflows : public testing::WorkflowLayout {
protected:
    AppModel::Engines recordingEngines() {
        AppModel::Engines engines = AppModel::realEngines();
        engines.moveToTrash = [this](const fs::path& url, bool allowAdminAuthorization) {
            while (holdMoves) QThread::msleep(5);
            std::lock_guard lock(mutex);
            steps.push_back("move " + url.filename().string());
            if (url.filename() == failingName) throw std::runtime_error("disk on fire");
            return TrashExecutor::moveToTrash(url, allowAdminAuthorization);
        };
        engines.bootout = [this](const CleanupCandidate& candidate) {
            std::lock_guard lock(mutex);
            steps.push_back("bootout " + fs::path(candidate.path).filename().string());
        };
        engines.terminateApplication = [this] { ++terminations; };
        engines.removeByRoute = [this](const AppInfo&, const CleanupCandidate& candidate) {
            std::lock_guard lock(mutex);
            steps.push_back(rawValue(candidate.route) + " " + candidate.label);
            if (candidate.label == failingName) throw std::runtime_error("polkit said no");
        };
        engines.previewRemoval = [this](const AppInfo&, const std::vector<CleanupCandidate>&) {
            std::lock_guard lock(mutex);
            steps.push_back("simulate");
            return preview;
        };
        engines.refreshMenus = [this] {
            std::lock_guard lock(mutex);
            steps.push_back("refresh menus");
        };
        return engines;
    }

    // A Debian package app whose removal apt carries out.
    static std::pair<AppInfo, CleanupCandidate> packageApp() {
        AppInfo app{.id = "/usr/share/applications/notes.desktop",
                    .name = "Notes",
                    .bundleIdentifier = "tw-notes",
                    .path = "/usr/bin/tw-notes",
                    .isRunning = true,
                    .origin = "Debian package"};
        CleanupCandidate package{.id = app.path,
                                 .kind = Kind::appBundle,
                                 .label = "Notes",
                                 .path = app.path,
                                 .sizeBytes = 65536,
                                 .isSelectable = true,
                                 .route = RemovalRoute::apt};
        return {app, package};
    }

    // A selectable cache folder offered as a plain candidate.
    CleanupCandidate cacheCandidate(const std::string& label) const {
        const fs::path folder = library() / "Caches" / label;
        writeFile(folder / "blob", std::string(3000, 'c'));
        return {.id = folder.string(),
                .kind = Kind::cache,
                .label = label,
                .path = folder.string(),
                .sizeBytes = 4096,
                .isSelectable = true};
    }

    std::mutex mutex;
    std::vector<std::string> steps;
    std::string failingName;
    std::atomic<bool> holdMoves = false;
    std::atomic<int> terminations = 0;
    RemovalPreview preview;
};

TEST_F(CleanupWorkflows, APlanMovesTheStartupItemThenTheCacheThenTheBundleAndRecordsOneReport) {
    makeApp("Alpha");
    writeFile(library() / "Caches/com.example.Alpha/cache.db", std::string(5000, 'c'));
    writeFile(library() / "LaunchAgents/com.example.Alpha.helper.plist",
              "<?xml version=\"1.0\"?>\n<plist version=\"1.0\"><dict><key>Label</key>"
              "<string>com.example.Alpha.helper</string><key>Program</key><string>/usr/bin/alpha-helper</string>"
              "</dict></plist>\n");
    AppModel model(recordingEngines());
    model.scan(true, true);
    ASSERT_TRUE(testing::eventually([&] { return !model.isScanning(); }));
    ASSERT_EQ(model.apps().size(), 1u);
    const AppInfo app = model.apps().front();
    std::vector<CleanupCandidate> plan;
    for (Kind kind : {Kind::appBundle, Kind::cache, Kind::launchAgent})
        for (const CleanupCandidate& candidate : app.cleanupCandidates)
            if (candidate.kind == kind) plan.push_back(candidate);
    ASSERT_EQ(plan.size(), 3u) << ::testing::PrintToString(labels(app.cleanupCandidates));

    QSignalSpy busy(&model, &AppModel::cleanupInProgressChanged);
    model.moveCleanupCandidatesToTrash(app, plan);
    EXPECT_TRUE(model.cleanupInProgress());
    waitForCleanup(model);

    EXPECT_EQ(steps,
              (std::vector<std::string>{"bootout com.example.Alpha.helper.plist", "move com.example.Alpha.helper.plist",
                                        "move com.example.Alpha", "move Alpha.app", "refresh menus"}));
    EXPECT_TRUE(inTrash("Alpha.app"));
    EXPECT_TRUE(inTrash("com.example.Alpha"));
    EXPECT_TRUE(inTrash("com.example.Alpha.helper.plist"));
    const std::vector<std::string> moved{plan[2].label, plan[1].label, plan[0].label};
    EXPECT_EQ(*model.actionMessage(), "Moved to Trash: " + moved[0] + ", " + moved[1] + ", " + moved[2] + ".");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::success);
    ASSERT_EQ(model.reports().size(), 1u);
    EXPECT_EQ(model.reports().front().appName, "Alpha");
    EXPECT_EQ(model.reports().front().movedItems, moved);
    EXPECT_EQ(model.reports().front().recoveredBytes, plan[0].sizeBytes + plan[1].sizeBytes + plan[2].sizeBytes);
    ASSERT_EQ(ReportStore::load().size(), 1u);
    EXPECT_EQ(ReportStore::load().front().id, model.reports().front().id);
    // The inventory was scanned again before the batch ended.
    EXPECT_TRUE(model.apps().empty());
    EXPECT_EQ(model.cleanupStatusText(), std::nullopt);
    EXPECT_EQ(busy.count(), 2);
    EXPECT_EQ(terminations, 0);
}

TEST_F(CleanupWorkflows, FailedItemsFollowTheMovedOnesAndMakeAWarning) {
    AppModel model(recordingEngines());
    failingName = "C";
    const AppInfo app{.id = "/nowhere/Tool.app", .name = "Tool", .path = "/nowhere/Tool.app"};
    model.moveCleanupCandidatesToTrash(app, {cacheCandidate("A"), cacheCandidate("B"), cacheCandidate("C")});
    waitForCleanup(model);
    EXPECT_EQ(*model.actionMessage(), "Moved to Trash: A, B.\nFailed: C: disk on fire");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::warning);
    ASSERT_EQ(model.reports().size(), 1u);
    EXPECT_EQ(model.reports().front().movedItems, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(model.reports().front().failedItems, (std::vector<std::string>{"C: disk on fire"}));
    EXPECT_EQ(model.reports().front().recoveredBytes, 8192);
    EXPECT_TRUE(inTrash("A"));
    EXPECT_FALSE(inTrash("C"));

    failingName = "D";
    model.moveCleanupCandidatesToTrash(app, {cacheCandidate("D")});
    waitForCleanup(model);
    EXPECT_EQ(*model.actionMessage(), "No items were moved to Trash.\nFailed: D: disk on fire");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::failure);
    EXPECT_EQ(model.reports().size(), 2u);
}

TEST_F(CleanupWorkflows, APlanNobodyMayMoveRecordsNothing) {
    AppModel model(recordingEngines());
    writeFile(system / "elsewhere/file", "x");
    CleanupCandidate outside = cacheCandidate("A");
    outside.path = (system / "elsewhere/file").string();
    model.moveCleanupCandidatesToTrash({.name = "Tool"}, {outside});
    waitForCleanup(model);
    EXPECT_EQ(*model.actionMessage(), "No selected items can be safely moved to Trash.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::failure);
    EXPECT_TRUE(model.reports().empty());
    EXPECT_TRUE(steps.empty());
}

TEST_F(CleanupWorkflows, ABatchStartedWhileAnotherRunsDoesNothing) {
    writeFile(home.path() / "Downloads/setup.dmg", std::string(3000, 'd'));
    AppModel model(recordingEngines());
    holdMoves = true;
    model.moveCleanupCandidatesToTrash({.name = "Tool"}, {cacheCandidate("A")});
    model.moveSafeCleanupItemsToTrash(
        {{.id = "x", .name = "setup.dmg", .path = (home.path() / "Downloads/setup.dmg").string()}});
    model.moveLeftoverCandidatesToTrash({.name = "Gone"}, {cacheCandidate("B")});
    model.moveCleanupCandidatesToTrash({.name = "Tool"}, {cacheCandidate("C")});
    holdMoves = false;
    waitForCleanup(model);
    EXPECT_EQ(steps, (std::vector<std::string>{"move A", "refresh menus"}));
    EXPECT_EQ(model.reports().size(), 1u);
    EXPECT_TRUE(fs::exists(home.path() / "Downloads/setup.dmg"));
}

TEST_F(CleanupWorkflows, ALeftoverGroupMovesAndBothListsAreScannedAgain) {
    writeFile(library() / "Application Support/com.gone.tool/settings.json", std::string(2000, 's'));
    writeFile(library() / "Caches/com.gone.tool/cache.db", std::string(2000, 'c'));
    AppModel model(recordingEngines());
    scanAndWait(model);
    model.scanLeftovers();
    ASSERT_TRUE(testing::eventually([&] { return model.hasScannedLeftovers() && !model.isScanningLeftovers(); }));
    ASSERT_EQ(model.leftovers().size(), 1u);
    const LeftoverGroup group = model.leftovers().front();
    EXPECT_EQ(model.selectedLeftover(), group);

    QSignalSpy rescanned(&model, &AppModel::leftoversChanged);
    model.moveLeftoverCandidatesToTrash(group, group.candidates);
    waitForCleanup(model);
    EXPECT_EQ(*model.actionMessage(),
              "Moved leftovers to Trash: " + group.candidates[0].label + ", " + group.candidates[1].label + ".");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::success);
    ASSERT_EQ(model.reports().size(), 1u);
    EXPECT_EQ(model.reports().front().appName, "Leftovers: " + group.name);
    EXPECT_TRUE(model.leftovers().empty());
    EXPECT_EQ(model.selectedLeftover(), std::nullopt);
    EXPECT_EQ(rescanned.count(), 1);
    EXPECT_EQ(steps.size(), 2u);
}

TEST_F(CleanupWorkflows, SafeCleanupItemsMoveAndTheListIsScannedAgain) {
    writeFile(home.path() / "Downloads/setup.dmg", std::string(3000, 'd'));
    writeFile(home.path() / "Downloads/tool.zip", std::string(3000, 'z'));
    AppModel model(recordingEngines());
    model.scanSafeCleanup();
    ASSERT_TRUE(testing::eventually([&] { return model.hasScannedSafeCleanup() && !model.isScanningSafeCleanup(); }));
    ASSERT_EQ(model.safeCleanupItems().size(), 2u);

    model.moveSafeCleanupItemsToTrash(model.safeCleanupItems());
    waitForCleanup(model);
    EXPECT_EQ(*model.actionMessage(), "Moved 2 safe cleanup items to Trash.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::success);
    ASSERT_EQ(model.reports().size(), 1u);
    EXPECT_EQ(model.reports().front().appName, "Safe Cleanup");
    EXPECT_TRUE(model.safeCleanupItems().empty());
    EXPECT_TRUE(model.hasCompletedInitialScan());
    EXPECT_TRUE(inTrash("setup.dmg"));

    model.moveSafeCleanupItemsToTrash({{.name = "gone", .path = (home.path() / "Downloads/gone.dmg").string()}});
    waitForCleanup(model);
    EXPECT_EQ(*model.actionMessage(), "No safe cleanup items can be moved to Trash.");
}

TEST_F(CleanupWorkflows, AnAppBundleMovesAloneWithoutAReport) {
    makeApp("Alpha");
    AppModel model(recordingEngines());
    scanAndWait(model);
    AppInfo app = model.apps().front();
    model.moveAppBundleToTrash(app);
    ASSERT_TRUE(testing::eventually([&] { return model.showActionAlert(); }));
    EXPECT_EQ(*model.actionMessage(), "Alpha was moved to Trash: " + (trashFiles() / "Alpha.app").string() +
                                          ". Related caches and installers were left untouched in this alpha build.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::success);
    ASSERT_TRUE(testing::eventually([&] { return model.apps().empty(); }));
    EXPECT_TRUE(model.reports().empty());

    model.setShowActionAlert(false);
    app.isProtected = true;
    model.moveAppBundleToTrash(app);
    ASSERT_TRUE(testing::eventually([&] { return model.showActionAlert(); }));
    EXPECT_EQ(*model.actionMessage(),
              "Tidewell blocked this item because it is protected or outside the approved app locations.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::failure);
}

TEST_F(CleanupWorkflows, APlanForThisApplicationEndsItInsteadOfRescanning) {
    const fs::path bundle = makeApp("Tidewell");
    AppModel::Engines engines = recordingEngines();
    engines.runningApplicationBundle = [bundle] { return bundle; };
    engines.quitApp = [this](const AppInfo&, bool) { steps.push_back("quit"); };
    AppModel model(engines);
    scanAndWait(model);
    AppInfo app = model.apps().front();
    app.isRunning = true;
    std::vector<CleanupCandidate> plan;
    for (const CleanupCandidate& candidate : app.cleanupCandidates)
        if (candidate.kind == Kind::appBundle) plan.push_back(candidate);
    QSignalSpy scans(&model, &AppModel::scanRequested);
    model.moveCleanupCandidatesToTrash(app, plan);
    waitForCleanup(model);
    EXPECT_EQ(steps, (std::vector<std::string>{"move Tidewell.app", "refresh menus"}));
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(scans.count(), 0);
}

TEST_F(CleanupWorkflows, AnAppThatWillNotQuitStopsThePlanBeforeAnythingMoves) {
    makeApp("Alpha");
    AppModel::Engines engines = recordingEngines();
    engines.quitApp = [](const AppInfo&, bool) { throw std::runtime_error("still running"); };
    AppModel model(engines);
    scanAndWait(model);
    AppInfo app = model.apps().front();
    app.isRunning = true;
    model.moveCleanupCandidatesToTrash(app, app.cleanupCandidates);
    waitForCleanup(model);
    EXPECT_TRUE(steps.empty());
    EXPECT_EQ(*model.actionMessage(), "Tidewell could not quit Alpha. Nothing was moved. Close the app and try again.");
    ASSERT_EQ(model.reports().size(), 1u);
    EXPECT_EQ(model.reports().front().failedItems, (std::vector<std::string>{"Quit Alpha: still running"}));
    EXPECT_TRUE(model.reports().front().movedItems.empty());
}

TEST_F(CleanupWorkflows, SelfUninstallMovesTheInstalledFolderOrRefuses) {
    const fs::path installed = system / "opt/Tidewell.app";
    writeFile(installed / "bin/tidewell", "program");
    EXPECT_EQ(applicationBundleHolding(installed / "bin/tidewell"), installed);
    EXPECT_EQ(applicationBundleHolding("/usr/bin/tidewell"), fs::path("/usr/bin/tidewell"));

    AppModel::Engines engines = recordingEngines();
    engines.runningApplicationBundle = [] { return fs::path("/usr/bin/tidewell"); };
    AppModel bare(engines);
    bare.selfUninstall();
    EXPECT_EQ(*bare.actionMessage(), "Tidewell can only self-uninstall from an .app bundle.");
    EXPECT_EQ(bare.actionResultKind(), ActionResultKind::failure);
    {
        // A Linux desktop has no ".app" bundles: the refusal says what to do there.
        testing::ScopedEnvironment freedesktop{"TIDEWELL_LAYOUT", "freedesktop"};
        bare.selfUninstall();
        EXPECT_EQ(*bare.actionMessage(),
                  "Tidewell can only move itself to the Trash from a folder of its own. Remove an installed "
                  "Tidewell with your package manager.");
    }

    engines.runningApplicationBundle = [installed] { return installed; };
    AppModel model(engines);
    model.selfUninstall();
    ASSERT_TRUE(testing::eventually([&] { return terminations.load() == 1; }));
    EXPECT_TRUE(inTrash("Tidewell.app"));
}

TEST_F(CleanupWorkflows, DiagnosticsAreExportedAndRevealed) {
    testing::RecordingDesktop desktop;
    AppModel model(recordingEngines());
    model.setDesktop(&desktop);
    model.exportDiagnostics();
    ASSERT_TRUE(testing::eventually([&] { return model.showActionAlert(); }));
    ASSERT_EQ(desktop.revealed.size(), 1u);
    const fs::path file = desktop.revealed.front().front();
    EXPECT_TRUE(fs::is_regular_file(file));
    EXPECT_EQ(*model.actionMessage(), "Diagnostic report exported to " + file.string());
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::success);
}

// The package manager is asked first, the app quits, apt removes it before the related rows
// move, and the menus are refreshed once at the end; the report names each route.
TEST_F(CleanupWorkflows, APackagePlanAsksAptFirstAndRemovesThePackageBeforeTheRelatedRows) {
    auto [app, package] = packageApp();
    AppModel::Engines engines = recordingEngines();
    engines.quitApp = [this](const AppInfo&, bool) { steps.push_back("quit"); };
    AppModel model(engines);
    preview.packages = {"tw-notes", "tw-notes-plugins"};
    model.moveCleanupCandidatesToTrash(app, {cacheCandidate("A"), package});
    waitForCleanup(model);
    EXPECT_EQ(steps, (std::vector<std::string>{"simulate", "quit", "Removed by apt Notes", "move A", "refresh menus"}));
    EXPECT_EQ(*model.actionMessage(), "Removed by apt: Notes. Moved to Trash: A.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::success);
    ASSERT_EQ(model.reports().size(), 1u);
    EXPECT_EQ(model.reports().front().movedItems, (std::vector<std::string>{"Notes", "A"}));

    // A failed removal is reported and the rest of the plan still runs.
    steps.clear();
    failingName = "Notes";
    model.moveCleanupCandidatesToTrash(app, {package, cacheCandidate("B")});
    waitForCleanup(model);
    EXPECT_EQ(*model.actionMessage(), "Moved to Trash: B.\nFailed: Notes: polkit said no");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::warning);
}

TEST_F(CleanupWorkflows, ARefusedSimulationLeavesEverythingInPlace) {
    auto [app, package] = packageApp();
    AppModel::Engines engines = recordingEngines();
    engines.quitApp = [this](const AppInfo&, bool) { steps.push_back("quit"); };
    AppModel model(engines);
    preview.packages = {"tw-notes", "tw-login"};
    preview.refusal = "apt would also remove packages the system needs: tw-login.";
    const CleanupCandidate cache = cacheCandidate("A");
    model.moveCleanupCandidatesToTrash(app, {cache, package});
    waitForCleanup(model);
    EXPECT_EQ(steps, (std::vector<std::string>{"simulate"}));
    EXPECT_TRUE(fs::exists(cache.path));
    EXPECT_EQ(*model.actionMessage(),
              "Tidewell did not remove Notes: apt would also remove packages the system "
              "needs: tw-login. Nothing was changed.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::failure);
    ASSERT_EQ(model.reports().size(), 1u);
    EXPECT_EQ(model.reports().front().failedItems,
              (std::vector<std::string>{"Remove Notes: apt would also remove packages the system needs: tw-login."}));

    // A package route that does not stand for the app it names is never handed over.
    steps.clear();
    CleanupCandidate other = package;
    other.path = "/usr/bin/something-else";
    model.moveCleanupCandidatesToTrash(app, {other});
    waitForCleanup(model);
    EXPECT_TRUE(steps.empty());
    app.isProtected = true;
    model.moveCleanupCandidatesToTrash(app, {package});
    waitForCleanup(model);
    EXPECT_TRUE(steps.empty());
}

TEST_F(CleanupWorkflows, ThePlanPreviewIsAskedOnlyForPackageRoutes) {
    auto [app, package] = packageApp();
    AppModel model(recordingEngines());
    preview.packages = {"tw-notes"};
    QSignalSpy answered(&model, &AppModel::cleanupPlanPreviewChanged);
    app.cleanupCandidates = {cacheCandidate("A")};
    model.previewCleanupPlan(app);
    app.cleanupCandidates.push_back(package);
    model.previewCleanupPlan(app);
    ASSERT_TRUE(testing::eventually([&] { return answered.count() == 1; }));
    EXPECT_EQ(steps, (std::vector<std::string>{"simulate"}));
    EXPECT_EQ(model.cleanupPlanPreview(), std::optional(std::pair(app.id, preview)));
}

TEST(CleanupBatch, OrdersStartupItemsFirstAndTheBundleLast) {
    EXPECT_EQ(cleanupMovePriority({.kind = Kind::appBundle, .route = RemovalRoute::flatpak}), 5);
    EXPECT_EQ(cleanupMovePriority({.kind = Kind::launchAgent}), 0);
    EXPECT_EQ(cleanupMovePriority({.kind = Kind::privilegedHelper}), 10);
    EXPECT_EQ(cleanupMovePriority({.kind = Kind::appLink}), 90);
    EXPECT_EQ(cleanupMovePriority({.kind = Kind::appBundle}), 100);
}

}  // namespace
}  // namespace tidewell
