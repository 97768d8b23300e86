#include "model/app_model.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <atomic>
#include <mutex>
#include <set>

#include "cleanup/app_scanner.h"
#include "model/i18n.h"
#include "model/scripted_desktop.h"
#include "model/workflow_fixture.h"
#include "support/eventually.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;

std::vector<std::string> names(const std::vector<AppInfo>& apps) {
    std::vector<std::string> result;
    for (const AppInfo& app : apps) result.push_back(app.name);
    return result;
}

// The workflow layout, with the inventory engine counted.
class ModelLayout : public testing::WorkflowLayout {
protected:
    // The real inventory, counted and with the threads it ran on recorded.
    AppModel::Engines countingEngines() {
        AppModel::Engines engines = AppModel::realEngines();
        engines.scanApps = [this](bool includePermissionSensitive) {
            {
                std::lock_guard lock(mutex);
                scanThreads.insert(QThread::currentThread());
            }
            ++engineCalls;
            return AppScanner::scan(includePermissionSensitive);
        };
        return engines;
    }

    static void scanAndWait(AppModel& model, bool force = false) {
        model.scan(force);
        ASSERT_TRUE(testing::eventually([&] { return !model.isScanning(); }, testing::workflowTimeout));
    }

    std::mutex mutex;
    std::set<QThread*> scanThreads;
    std::atomic<int> engineCalls = 0;
};

TEST_F(ModelLayout, StartsEmptyInEnglishOnTheHomePage) {
    AppModel model;
    EXPECT_TRUE(model.apps().empty());
    EXPECT_EQ(model.selectedApp(), std::nullopt);
    EXPECT_FALSE(model.isScanning());
    EXPECT_FALSE(model.hasCompletedInitialScan());
    EXPECT_EQ(model.scanStatusText(), std::nullopt);
    EXPECT_EQ(model.selectedSidebarItem(), SidebarItem::home);
    EXPECT_EQ(model.language(), "English");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::info);
    EXPECT_FALSE(model.showActionAlert());
    EXPECT_EQ(model.property("isScanning"), QVariant(false));
}

TEST_F(ModelLayout, AScanPublishesTheInventoryAndSelectsTheFirstApp) {
    makeApp("Beta");
    makeApp("Alpha");
    AppModel model;
    QSignalSpy busy(&model, &AppModel::isScanningChanged);
    model.scan();
    EXPECT_TRUE(model.isScanning());
    EXPECT_EQ(model.scanStatusText(), model.t("scanningInstalledApps"));
    ASSERT_TRUE(testing::eventually([&] { return model.hasCompletedInitialScan(); }, testing::workflowTimeout));
    EXPECT_EQ(names(model.apps()), (std::vector<std::string>{"Alpha", "Beta"}));
    ASSERT_TRUE(model.selectedApp().has_value());
    EXPECT_EQ(model.selectedApp()->name, "Alpha");
    EXPECT_FALSE(model.isScanning());
    EXPECT_EQ(model.scanStatusText(), std::nullopt);
    EXPECT_EQ(busy.count(), 2);
}

TEST_F(ModelLayout, AnEmptyInventorySelectsNothing) {
    AppModel model;
    scanAndWait(model);
    EXPECT_TRUE(model.hasCompletedInitialScan());
    EXPECT_TRUE(model.apps().empty());
    EXPECT_EQ(model.selectedApp(), std::nullopt);
}

TEST_F(ModelLayout, ASecondQuickScanDoesNothing) {
    makeApp("Alpha");
    AppModel model(countingEngines());
    QSignalSpy published(&model, &AppModel::appsChanged);
    model.scan();
    model.scan();
    ASSERT_TRUE(testing::eventually([&] { return model.hasCompletedInitialScan(); }, testing::workflowTimeout));
    QTest::qWait(200);
    EXPECT_EQ(engineCalls, 1);
    EXPECT_EQ(published.count(), 1);
}

TEST_F(ModelLayout, AForcedScanOverlapsAndOnlyTheLatestPublishes) {
    makeApp("Alpha");
    std::atomic<bool> releaseFirst = false;
    std::atomic<int> finished = 0;
    // The first pass reads the disk, then waits, so it ends after the forced pass.
    AppModel::Engines engines{.scanApps = [&](bool includePermissionSensitive) {
        const bool first = ++engineCalls == 1;
        std::vector<AppInfo> result = AppScanner::scan(includePermissionSensitive);
        while (first && !releaseFirst) QThread::msleep(5);
        ++finished;
        return result;
    }};
    AppModel model(engines);
    QSignalSpy published(&model, &AppModel::appsChanged);
    model.scan();
    ASSERT_TRUE(testing::eventually([&] { return engineCalls.load() == 1; }, testing::workflowTimeout));
    QTest::qWait(100);  // the first pass is past its read (the inventory of Alpha alone)
    makeApp("Beta");
    model.scan(true);
    ASSERT_TRUE(testing::eventually([&] { return model.hasCompletedInitialScan(); }, testing::workflowTimeout));
    EXPECT_EQ(names(model.apps()), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_FALSE(model.isScanning());

    releaseFirst = true;
    ASSERT_TRUE(testing::eventually([&] { return finished.load() == 2; }, testing::workflowTimeout));
    QTest::qWait(200);
    EXPECT_EQ(names(model.apps()), (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(published.count(), 1);
}

TEST_F(ModelLayout, TheSelectedAppSurvivesARescanOrFallsBackToTheFirst) {
    makeApp("Alpha");
    const fs::path beta = makeApp("Beta");
    makeApp("Gamma");
    AppModel model;
    scanAndWait(model);
    model.setSelectedApp(model.apps().at(1));
    ASSERT_EQ(model.selectedApp()->name, "Beta");

    scanAndWait(model, true);
    EXPECT_EQ(model.selectedApp()->name, "Beta");

    fs::remove_all(beta);
    scanAndWait(model, true);
    EXPECT_EQ(names(model.apps()), (std::vector<std::string>{"Alpha", "Gamma"}));
    EXPECT_EQ(model.selectedApp()->name, "Alpha");
}

// How long the GUI thread waits meanwhile is measured by bench/gui_stall.cpp.
TEST_F(ModelLayout, TheInventoryRunsOffTheGuiThread) {
    for (int index = 0; index < 30; ++index) makeApp("App" + std::to_string(index));
    AppModel model(countingEngines());
    scanAndWait(model);

    EXPECT_EQ(model.apps().size(), 30u);
    ASSERT_EQ(scanThreads.size(), 1u);
    EXPECT_NE(*scanThreads.begin(), QCoreApplication::instance()->thread());
}

TEST_F(ModelLayout, LeftoverAndSafeCleanupPassesPublishOnceEach) {
    AppModel model;
    model.scanLeftovers();
    EXPECT_TRUE(model.isScanningLeftovers());
    EXPECT_EQ(model.scanStatusText(), model.t("lookingForLeftovers"));
    ASSERT_TRUE(testing::eventually([&] { return model.hasScannedLeftovers(); }, testing::workflowTimeout));
    EXPECT_FALSE(model.isScanningLeftovers());

    writeFile(home.path() / "Downloads/Setup.dmg", std::string(9000, 'x'));
    QSignalSpy published(&model, &AppModel::safeCleanupItemsChanged);
    model.scanSafeCleanup();
    model.scanSafeCleanup();
    EXPECT_TRUE(model.isScanningSafeCleanup());
    EXPECT_EQ(model.scanStatusText(), model.t("scanningSafeItems"));
    ASSERT_TRUE(testing::eventually([&] { return model.hasScannedSafeCleanup(); }, testing::workflowTimeout));
    EXPECT_FALSE(model.isScanningSafeCleanup());
    EXPECT_EQ(model.scanStatusText(), std::nullopt);
    EXPECT_EQ(published.count(), 1);
    ASSERT_EQ(model.safeCleanupItems().size(), 1u);
    EXPECT_EQ(model.safeCleanupItems().front().name, "Setup.dmg");
    EXPECT_GE(model.safeCleanupBytes(), 9000);
    EXPECT_EQ(model.safeCleanupBytes(), model.safeCleanupItems().front().sizeBytes);
}

TEST_F(ModelLayout, TheLanguageSurvivesARestart) {
    {
        AppModel model;
        QSignalSpy changed(&model, &AppModel::languageChanged);
        model.setLanguage("Español");
        EXPECT_EQ(changed.count(), 1);
    }
    AppModel restarted;
    EXPECT_EQ(restarted.language(), "Español");
    EXPECT_EQ(restarted.property("language"), QVariant(QString("Español")));
}

TEST_F(ModelLayout, KeyedTextsAndItemCountsFollowTheLanguage) {
    AppModel model;
    const std::string lastKey = I18n::keys().back();

    model.setLanguage("Español");
    EXPECT_NE(model.t(lastKey), I18n::t(lastKey, "English"));
    EXPECT_NE(model.t("ok"), I18n::t("ok", "English"));

    model.setLanguage("日本語");
    EXPECT_EQ(model.localizedItemCount(3), "3 件");
    // Inline two-way texts are Chinese or English.
    EXPECT_EQ(title(ProductModule::cleaner, model.language()), "Clean");
    EXPECT_EQ(I18n::pick(model.language(), "Scan", "扫描"), "Scan");

    model.setLanguage("简体中文");
    EXPECT_EQ(model.localizedItemCount(1), "1 项");
}

TEST_F(ModelLayout, ItemCountsInEnglish) {
    AppModel model;
    EXPECT_EQ(model.localizedItemCount(1), "1 item");
    EXPECT_EQ(model.localizedItemCount(0), "0 items");
    EXPECT_EQ(model.localizedItemCount(12), "12 items");
}

TEST_F(ModelLayout, PresentActionSetsMessageKindThenAlert) {
    AppModel model;
    std::vector<std::string> order;
    QObject::connect(&model, &AppModel::actionMessageChanged, [&] { order.push_back("message"); });
    QObject::connect(&model, &AppModel::actionResultKindChanged, [&] { order.push_back("kind"); });
    QObject::connect(&model, &AppModel::showActionAlertChanged, [&] { order.push_back("alert"); });
    model.presentAction("Moved to Trash: A.", ActionResultKind::warning);
    EXPECT_EQ(order, (std::vector<std::string>{"message", "kind", "alert"}));
    EXPECT_EQ(model.actionMessage(), "Moved to Trash: A.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::warning);
    EXPECT_TRUE(model.showActionAlert());
}

TEST_F(ModelLayout, DesktopServicesAreThoseTheApplicationInstalls) {
    AppModel model;
    EXPECT_EQ(model.dialogs(), nullptr);
    EXPECT_EQ(model.desktop(), nullptr);
    testing::ScriptedDialogs dialogs;
    dialogs.saveAnswers.push_back(fs::path("/chosen/report.txt"));
    testing::RecordingDesktop desktop;
    model.setDialogs(&dialogs);
    model.setDesktop(&desktop);
    EXPECT_EQ(model.dialogs()->chooseForSaving({.title = "Export", .suggestedName = "report.txt"}),
              fs::path("/chosen/report.txt"));
    EXPECT_EQ(model.dialogs()->chooseForSaving({}), std::nullopt);
    EXPECT_EQ(dialogs.saveRequests.front().suggestedName, "report.txt");
    model.desktop()->revealInFileBrowser({"/chosen/report.txt"});
    EXPECT_EQ(desktop.revealed.size(), 1u);
}

}  // namespace
}  // namespace tidewell
