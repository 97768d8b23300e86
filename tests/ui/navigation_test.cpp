#include "ui/navigation.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "model/app_model.h"
#include "ui/content_view.h"
#include "ui/home_page.h"
#include "ui/sidebar_sections.h"
#include "ui/sidebar_view.h"
#include "ui/symbol_icons.h"

namespace tidewell {
namespace {

struct Route {
    ProductModule module;
    SidebarItem item;
};

// The module and page each module opens on, from a home card or from the picker.
constexpr Route routes[] = {{ProductModule::cleaner, SidebarItem::overview},
                            {ProductModule::repair, SidebarItem::repair},
                            {ProductModule::recover, SidebarItem::recovery}};

std::vector<QString> rowTexts(const SidebarView& sidebar) {
    std::vector<QString> texts;
    for (int row = 0; row < sidebar.rows()->count(); ++row) texts.push_back(sidebar.rows()->item(row)->text());
    return texts;
}

TEST(Navigation, AtStartTheHomePageShowsAndTheSidebarHasNoModuleSection) {
    AppModel model;
    ContentView content(model);
    EXPECT_EQ(content.router()->shownItem(), SidebarItem::home);
    EXPECT_EQ(model.selectedProductModule(), std::nullopt);
    EXPECT_EQ(rowTexts(*content.sidebar()), (std::vector<QString>{"Reports", "Settings"}));
}

TEST(Navigation, HomeCardsAndModulePickerRouteToEachModulesFirstPage) {
    for (const Route& route : routes) {
        AppModel model;
        ContentView content(model);
        auto* home = qobject_cast<HomePage*>(content.router()->page(SidebarItem::home));
        ASSERT_NE(home, nullptr);
        QTest::mouseClick(home->card(route.module), Qt::LeftButton);
        EXPECT_EQ(model.selectedProductModule(), route.module);
        EXPECT_EQ(content.router()->shownItem(), route.item);

        QTest::mouseClick(content.sidebar()->homeButton(), Qt::LeftButton);
        EXPECT_EQ(model.selectedProductModule(), std::nullopt);
        EXPECT_EQ(content.router()->shownItem(), SidebarItem::home);

        QTest::mouseClick(content.sidebar()->moduleButton(route.module), Qt::LeftButton);
        EXPECT_EQ(model.selectedProductModule(), route.module);
        EXPECT_EQ(content.router()->shownItem(), route.item);
    }
}

TEST(Navigation, PickingNoModuleChangesNothing) {
    AppModel model;
    Navigation::openModule(model, ProductModule::recover);
    Navigation::pickModule(model, std::nullopt);
    EXPECT_EQ(model.selectedProductModule(), ProductModule::recover);
    EXPECT_EQ(model.selectedSidebarItem(), SidebarItem::recovery);
}

TEST(Navigation, SwitchingFromCleanToRepairReplacesTheSectionsAndThePage) {
    AppModel model;
    ContentView content(model);
    Navigation::openModule(model, ProductModule::cleaner);
    EXPECT_EQ(rowTexts(*content.sidebar()),
              (std::vector<QString>{"Clean Workflow", "Analyze", "Apps", "Running", "Cleanup Plans", "Utilities",
                                    "Safe Cleanup", "Leftovers", "Reports", "Settings"}));
    QListWidget* rows = content.sidebar()->rows();
    rows->setCurrentRow(*content.sidebar()->rowOf(SidebarItem::apps));
    EXPECT_EQ(content.router()->shownItem(), SidebarItem::apps);

    QTest::mouseClick(content.sidebar()->moduleButton(ProductModule::repair), Qt::LeftButton);
    EXPECT_EQ(content.router()->shownItem(), SidebarItem::repair);
    EXPECT_EQ(rowTexts(*content.sidebar()),
              (std::vector<QString>{"Repair Workflow", "File Repair", "Reports", "Settings"}));
    EXPECT_EQ(content.sidebar()->rowOf(SidebarItem::apps), std::nullopt);
}

// One language per window: the sidebar reads in the chosen language like the pages.
TEST(Navigation, InSpanishEverySidebarTextIsSpanish) {
    AppModel model;
    ContentView content(model);
    Navigation::openModule(model, ProductModule::cleaner);
    model.setLanguage("Español");
    QListWidget* rows = content.sidebar()->rows();
    EXPECT_EQ(rows->item(*content.sidebar()->rowOf(SidebarItem::apps))->text(), "Aplicaciones");
    EXPECT_EQ(rows->item(*content.sidebar()->rowOf(SidebarItem::stubborn))->text(),
              QString::fromStdString(model.t("running")));
    EXPECT_EQ(rows->item(*content.sidebar()->rowOf(SidebarItem::settings))->text(), "Ajustes");
    EXPECT_EQ(rows->item(*content.sidebar()->rowOf(SidebarItem::overview))->text(), "Analizar");
    EXPECT_EQ(rows->item(0)->text(), "Flujo de limpieza");
}

TEST(Navigation, SectionTitlesAndItemTitlesInChinese) {
    EXPECT_EQ(moduleSections(ProductModule::recover, "简体中文"),
              (std::vector<SidebarSection>{{"恢复工作流", {SidebarItem::recovery}}}));
    EXPECT_EQ(title(SidebarItem::history, "简体中文"), "报告");
    EXPECT_EQ(title(ProductModule::repair, "简体中文"), "修复");
    EXPECT_EQ(rawValue(SidebarItem::stubborn), "Stubborn Apps");
}

TEST(Navigation, EverySymbolHasAThemeIconNameAndAnIcon) {
    for (SidebarItem item : allSidebarItemCases) {
        EXPECT_NE(themeIconName(symbol(item)), "text-x-generic") << rawValue(item);
        EXPECT_FALSE(iconForSymbol(symbol(item)).isNull()) << rawValue(item);
    }
    EXPECT_EQ(themeIconName("no.such.symbol"), "text-x-generic");
}

}  // namespace
}  // namespace tidewell
