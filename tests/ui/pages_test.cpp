#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "model/app_language.h"
#include "model/app_model.h"
#include "model/scripted_desktop.h"
#include "ui/app_list_page.h"
#include "ui/content_view.h"
#include "ui/repair_page.h"
#include "ui/settings_page.h"

namespace tidewell {
namespace {

using namespace std::chrono_literals;

AppInfo app(std::string name, std::int64_t bytes, std::int64_t memory, bool running, int daysSinceUse) {
    AppInfo made;
    made.id = "/opt/apps/" + name + ".app";
    made.name = std::move(name);
    made.bundleIdentifier = "org.example." + made.name;
    made.path = made.id;
    made.sizeBytes = bytes;
    made.memoryBytes = memory;
    made.isRunning = running;
    made.lastUsedDate = std::chrono::system_clock::now() - std::chrono::hours(24 * daysSinceUse);
    return made;
}

AppModel::Engines sampleEngines() {
    AppModel::Engines engines;
    engines.scanApps = [](bool) {
        return std::vector<AppInfo>{app("Beacon", 900'000'000, 300'000'000, true, 0),
                                    app("atlas", 20'000'000, 0, false, 400), app("Cinder", 600'000'000, 0, false, 90)};
    };
    engines.scanSafeCleanup = [] { return std::vector<SafeCleanupItem>{}; };
    engines.scanLeftovers = [](const std::vector<AppInfo>&) { return std::vector<LeftoverGroup>{}; };
    engines.mountedExternalVolumes = [] { return std::vector<ExternalRecoveryVolume>{}; };
    return engines;
}

void scanned(AppModel& model) {
    model.scan(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.hasCompletedInitialScan() && !model.isScanning(); }, 10000));
}

TEST(Pages, EveryPageShowsAPopulatedModelInEveryLanguage) {
    AppModel model(sampleEngines());
    scanned(model);
    ContentView content(model);
    content.resize(1260, 740);
    for (const AppLanguage language : allAppLanguageCases) {
        model.setLanguage(std::string(rawValue(language)));
        for (SidebarItem item : allSidebarItemCases) {
            model.setSelectedSidebarItem(item);
            content.router()->grab();
            EXPECT_EQ(content.router()->shownItem(), item);
        }
    }
}

TEST(Pages, AppListSortsByBytesAndFiltersBySearchAndFilter) {
    AppModel model(sampleEngines());
    scanned(model);
    AppListPage page(model, SidebarItem::apps);
    EXPECT_EQ(page.shownNames(), (QStringList{"Beacon", "atlas", "Cinder"}));

    page.table()->sortByColumn(0, Qt::AscendingOrder);
    EXPECT_EQ(page.shownNames(), (QStringList{"atlas", "Beacon", "Cinder"}));
    page.table()->sortByColumn(1, Qt::DescendingOrder);
    EXPECT_EQ(page.shownNames(), (QStringList{"Beacon", "Cinder", "atlas"}));
    page.table()->sortByColumn(3, Qt::DescendingOrder);
    EXPECT_EQ(page.shownNames().front(), "Beacon");

    page.searchField()->setText("CIN");
    EXPECT_EQ(page.shownNames(), QStringList{"Cinder"});
    page.searchField()->clear();
    page.filterPicker()->setCurrentIndex(1);  // large: 500,000,000 bytes and more
    EXPECT_EQ(page.shownNames().size(), 2);
    page.filterPicker()->setCurrentIndex(3);  // running
    EXPECT_EQ(page.shownNames(), QStringList{"Beacon"});

    page.table()->selectRow(0);
    ASSERT_TRUE(model.selectedApp().has_value());
    EXPECT_EQ(model.selectedApp()->name, "Beacon");
}

TEST(Pages, ChooseFileToRepairSwitchesToTheRepairModuleBeforeAsking) {
    AppModel model(sampleEngines());
    ContentView content(model);
    std::optional<SidebarItem> shownWhenAsked;
    testing::ScriptedDialogs dialogs;
    dialogs.whenOpening = [&] { shownWhenAsked = content.router()->shownItem(); };
    model.setDialogs(&dialogs);
    auto* page = qobject_cast<RepairPage*>(content.router()->page(SidebarItem::repair));
    ASSERT_NE(page, nullptr);
    page->chooseButton()->click();
    EXPECT_EQ(model.selectedProductModule(), ProductModule::repair);
    EXPECT_EQ(shownWhenAsked, SidebarItem::repair);
}

TEST(Pages, TheLanguagePickerOffersFiveLanguagesAndSetsTheModel) {
    AppModel model(sampleEngines());
    SettingsPage page(model);
    ASSERT_EQ(page.languagePicker()->count(), 5);
    page.languagePicker()->setCurrentIndex(2);
    emit page.languagePicker()->activated(2);
    EXPECT_EQ(model.language(), "Español");
}

}  // namespace
}  // namespace tidewell
