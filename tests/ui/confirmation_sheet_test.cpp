#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <atomic>

#include "model/app_model.h"
#include "model/workflow_fixture.h"
#include "ui/cleanup_plan_view.h"
#include "ui/confirmation_sheet.h"
#include "ui/content_view.h"
#include "ui/leftovers_page.h"
#include "ui/safe_cleanup_page.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;

// Nothing moves to the Trash from a page until the user confirms the sheet it opens.
class TrashConfirmations : public testing::WorkflowLayout {
protected:
    AppModel::Engines engines() {
        AppModel::Engines made = AppModel::realEngines();
        made.terminateApplication = [this] { ++terminations; };
        return made;
    }

    static QMessageBox* sheetOver(const QWidget& window) {
        QMessageBox* sheet = ConfirmationSheet::openSheet(&window);
        EXPECT_NE(sheet, nullptr) << "no confirmation sheet is open";
        return sheet;
    }
    static void answer(QMessageBox* sheet, const char* buttonName) {
        ASSERT_NE(sheet, nullptr);
        auto* button = sheet->findChild<QPushButton*>(buttonName);
        ASSERT_NE(button, nullptr);
        button->click();
    }
    static void press(const QWidget& page, const char* buttonName) {
        auto* button = page.findChild<QPushButton*>(buttonName);
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled());
        button->click();
    }

    std::atomic<int> terminations = 0;
};

TEST_F(TrashConfirmations, SafeCleanupMovesOnlyTheCheckedItemsAfterConfirming) {
    const fs::path installer = home.path() / "Downloads/setup.dmg";
    const fs::path archive = home.path() / "Downloads/tool.zip";
    writeFile(installer, std::string(3000, 'd'));
    writeFile(archive, std::string(3000, 'z'));
    AppModel model(engines());
    model.scanSafeCleanup();
    ASSERT_TRUE(testing::eventually([&] { return model.hasScannedSafeCleanup() && !model.isScanningSafeCleanup(); }));
    SafeCleanupPage page(model);
    page.show();

    // Cancel, Escape and Return (the default button is the safe one) all leave the files alone.
    press(page, "moveSafeCleanupItems");
    QMessageBox* sheet = sheetOver(page);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->text(), "Move safe cleanup items to Trash?");
    EXPECT_TRUE(sheet->informativeText().startsWith(
        "These items will be moved to Trash. You can restore them before emptying Trash."));
    EXPECT_TRUE(sheet->informativeText().contains("setup.dmg"));
    answer(sheet, "cancelButton");
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
        press(page, "moveSafeCleanupItems");
        sheet = sheetOver(page);
        ASSERT_NE(sheet, nullptr);
        QTest::keyClick(sheet, key);
        EXPECT_EQ(ConfirmationSheet::openSheet(&page), nullptr);
    }
    QTest::qWait(50);
    EXPECT_FALSE(model.cleanupInProgress());
    EXPECT_TRUE(fs::exists(installer));
    EXPECT_TRUE(model.reports().empty());

    auto* items = page.findChild<QTreeWidget*>("safeCleanupItems");
    ASSERT_EQ(items->topLevelItemCount(), 2);
    for (int row = 0; row < 2; ++row)
        if (items->topLevelItem(row)->text(0) == "tool.zip") items->topLevelItem(row)->setCheckState(0, Qt::Unchecked);
    press(page, "moveSafeCleanupItems");
    sheet = sheetOver(page);
    ASSERT_NE(sheet, nullptr);
    EXPECT_FALSE(sheet->informativeText().contains("tool.zip"));
    answer(sheet, "confirmButton");
    ASSERT_TRUE(testing::eventually([&] { return model.reports().size() == 1 && !model.cleanupInProgress(); }));
    EXPECT_EQ(*model.actionMessage(), "Moved 1 safe cleanup items to Trash.");
    EXPECT_TRUE(inTrash("setup.dmg"));
    EXPECT_TRUE(fs::exists(archive));
}

TEST_F(TrashConfirmations, ALeftoverGroupMovesAfterConfirmingAndWarnsAboutContainers) {
    writeFile(library() / "Containers/com.gone.tool/Data/notes.db", std::string(2000, 'n'));
    writeFile(library() / "Caches/com.gone.tool/cache.db", std::string(2000, 'c'));
    AppModel model(engines());
    scanAndWait(model);
    model.scanLeftovers();
    ASSERT_TRUE(testing::eventually([&] { return model.hasScannedLeftovers() && !model.isScanningLeftovers(); }));
    ASSERT_EQ(model.leftovers().size(), 1u);
    LeftoversPage page(model);
    page.show();
    auto* entries = page.findChild<QTreeWidget*>("leftoverEntries");
    ASSERT_EQ(entries->topLevelItemCount(), 2);
    for (int row = 0; row < entries->topLevelItemCount(); ++row)
        if (entries->topLevelItem(row)->flags() & Qt::ItemIsEnabled)
            entries->topLevelItem(row)->setCheckState(0, Qt::Checked);

    press(page, "moveLeftovers");
    QMessageBox* sheet = sheetOver(page);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->text(), QString::fromStdString("Leftover Review · " + model.leftovers().front().name));
    EXPECT_TRUE(sheet->informativeText().contains("Review containers carefully."))
        << sheet->informativeText().toStdString();
    answer(sheet, "confirmButton");
    ASSERT_TRUE(testing::eventually([&] { return model.reports().size() == 1 && !model.cleanupInProgress(); }));
    EXPECT_TRUE(model.actionMessage()->starts_with("Moved leftovers to Trash: "));
    EXPECT_FALSE(fs::exists(library() / "Caches/com.gone.tool"));
}

TEST_F(TrashConfirmations, ACleanupPlanNamesTheAppAndMovesNothingWhenCancelled) {
    const fs::path bundle = makeApp("Alpha");
    AppModel model(engines());
    scanAndWait(model);
    ASSERT_EQ(model.apps().size(), 1u);
    CleanupPlanView view(model);
    view.setApp(model.apps().front());
    view.show();

    press(view, "moveSelectedToTrash");
    QMessageBox* sheet = sheetOver(view);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->text(), "Alpha");
    EXPECT_EQ(sheet->findChild<QPushButton*>("confirmButton")->text(), "Move Selected to Trash");
    answer(sheet, "cancelButton");
    QTest::qWait(50);
    EXPECT_TRUE(fs::exists(bundle));

    press(view, "moveSelectedToTrash");
    answer(sheetOver(view), "confirmButton");
    ASSERT_TRUE(testing::eventually([&] { return model.reports().size() == 1 && !model.cleanupInProgress(); }));
    EXPECT_TRUE(inTrash("Alpha.app"));
}

TEST_F(TrashConfirmations, SelfUninstallAsksInTheCurrentLanguageAndClearsTheRequestEitherWay) {
    const fs::path installed = system / "opt/Tidewell.app";
    writeFile(installed / "bin/tidewell", "program");
    AppModel::Engines made = engines();
    made.runningApplicationBundle = [installed] { return installed; };
    AppModel model(made);
    model.setLanguage("简体中文");
    ContentView content(model);
    content.show();

    model.setShowSelfUninstallConfirm(true);
    QMessageBox* sheet = sheetOver(content);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->text(), "卸载 Tidewell？");
    EXPECT_EQ(sheet->findChild<QPushButton*>("confirmButton")->text(), "将 Tidewell 移到废纸篓");
    answer(sheet, "cancelButton");
    EXPECT_FALSE(model.showSelfUninstallConfirm());
    QTest::qWait(50);
    EXPECT_TRUE(fs::exists(installed));
    EXPECT_EQ(terminations, 0);

    model.setLanguage("English");
    model.setSelectedSidebarItem(SidebarItem::settings);
    press(content, "uninstall");
    sheet = sheetOver(content);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->text(), "Uninstall Tidewell?");
    EXPECT_EQ(sheet->informativeText(),
              "This moves the currently running Tidewell.app bundle to Trash and quits the app. Your project files "
              "and source code stay untouched.");
    answer(sheet, "confirmButton");
    EXPECT_FALSE(model.showSelfUninstallConfirm());
    ASSERT_TRUE(testing::eventually([&] { return terminations.load() == 1; }));
    EXPECT_TRUE(inTrash("Tidewell.app"));
}

}  // namespace
}  // namespace tidewell
