#include <gtest/gtest.h>

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "cleanup/linux_system_fixture.h"
#include "model/app_model.h"
#include "support/eventually.h"
#include "ui/cleanup_plan_view.h"
#include "ui/confirmation_sheet.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::LinuxSystemFixture;

// The plan sheet over a Linux desktop, with the real engines in a temporary HOME and system.
class LinuxPlanSheet : public ::testing::Test {
protected:
    static std::optional<AppInfo> named(const AppModel& model, const std::string& name) {
        for (const AppInfo& app : model.apps())
            if (app.name == name) return app;
        return std::nullopt;
    }

    // The route column of the row whose item is `label`.
    static QString routeOf(const CleanupPlanView& view, const std::string& label) {
        QTreeWidget* list = view.candidateList();
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            if (list->topLevelItem(row)->text(0) == QString::fromStdString(label))
                return list->topLevelItem(row)->text(3);
        return {};
    }

    static void scanAndWait(AppModel& model) {
        model.scan(true, true);
        ASSERT_TRUE(testing::eventually([&] { return model.hasCompletedInitialScan() && !model.isScanning(); }));
    }

    // Presses the plan's button and confirms the sheet; answers the sheet's list of items.
    static QString confirm(CleanupPlanView& view, AppModel& model) {
        const std::size_t reports = model.reports().size();
        view.moveButton()->click();
        QMessageBox* sheet = ConfirmationSheet::openSheet(&view);
        if (sheet == nullptr) return "no sheet";
        const QString items = sheet->informativeText();
        sheet->findChild<QPushButton*>("confirmButton")->click();
        EXPECT_TRUE(testing::eventually(
            [&] { return model.reports().size() == reports + 1 && !model.cleanupInProgress(); }, 120000));
        return items;
    }

    LinuxSystemFixture system;
    testing::ScopedEnvironment language{"LC_ALL", "C"};
};

TEST_F(LinuxPlanSheet, AFlatpakAnAppImageAndALocalAppLeaveThroughTheSheet) {
    if (!testing::haveTool("flatpak")) GTEST_SKIP() << "flatpak is needed";
    ASSERT_EQ(system.installFlatpak("org.tidewell.Paint", "Paint", "1.0"), "");
    testing::writeFile(system.home() / ".var/app/org.tidewell.Paint/data/drawing.png", "pixels");
    const fs::path viewer = LinuxSystemFixture::makeAppImage(system.home() / "Applications", "Viewer.AppImage");
    LinuxSystemFixture::writeDesktopEntry(
        system.userApplications(), "viewer.desktop",
        {{"Type", "Application"}, {"Name", "Viewer"}, {"Exec", viewer.string()}, {"Icon", "viewer"}});
    testing::writeFile(system.home() / ".local/share/icons/hicolor/48x48/apps/viewer.png", "png");
    const fs::path tool = system.home() / "apps/tool/tool";
    testing::writeFile(tool, "#!/bin/sh\n");
    fs::permissions(tool, fs::perms::owner_all);
    LinuxSystemFixture::writeDesktopEntry(system.userApplications(), "tool.desktop",
                                          {{"Type", "Application"}, {"Name", "Tool"}, {"Exec", tool.string()}});

    AppModel model(AppModel::realEngines());
    scanAndWait(model);
    CleanupPlanView view(model);
    view.show();

    view.setApp(named(model, "Paint"));
    EXPECT_EQ(routeOf(view, "Paint"), "Removed by Flatpak");
    EXPECT_EQ(routeOf(view, "Flatpak data"), "Moved to Trash");
    const QString items = confirm(view, model);
    EXPECT_TRUE(items.contains("Paint · ") && items.contains(" · Removed by Flatpak")) << items.toStdString();
    EXPECT_EQ(*model.actionMessage(), "Removed by Flatpak: Paint. Moved to Trash: Flatpak data.");

    for (const char* name : {"Viewer", "Tool"}) {
        const std::optional<AppInfo> app = named(model, name);
        ASSERT_TRUE(app) << name;
        view.setApp(app);
        EXPECT_EQ(routeOf(view, name), "Moved to Trash");
        confirm(view, model);
    }
    EXPECT_TRUE(system.trashedFrom("org.tidewell.Paint"));
    EXPECT_TRUE(system.trashedFrom("Viewer.AppImage"));
    EXPECT_TRUE(system.trashedFrom("viewer.desktop"));
    EXPECT_TRUE(system.trashedFrom("viewer.png"));
    EXPECT_TRUE(system.trashedFrom("tool"));
    EXPECT_TRUE(system.trashedFrom("tool.desktop"));
    std::string listed;
    testing::runTool("flatpak", {"list", "--user", "--app", "--columns=application"}, &listed);
    EXPECT_EQ(listed.find("org.tidewell.Paint"), std::string::npos);
    // Gone from the menu and from the inventory, each run with a report of its own.
    EXPECT_FALSE(fs::exists(system.userApplications() / "viewer.desktop"));
    for (const char* name : {"Paint", "Viewer", "Tool"}) EXPECT_FALSE(named(model, name)) << name;
    ASSERT_EQ(model.reports().size(), 3u);
    EXPECT_EQ(model.reports().back().movedItems, (std::vector<std::string>{"Paint", "Flatpak data"}));
}

TEST_F(LinuxPlanSheet, ADebianPlanShowsWhatAptWouldRemoveAndARefusalChangesNothing) {
    if (!testing::haveTool("apt-get")) GTEST_SKIP() << "apt-get is needed";
    ASSERT_EQ(system.installDebianPackage({.name = "tw-editor", .appName = "Editor"}), "");
    ASSERT_EQ(system.installDebianPackage({.name = "tw-core", .priority = "required", .depends = "tw-editor"}), "");
    AppModel model(AppModel::realEngines());
    scanAndWait(model);
    CleanupPlanView view(model);
    view.show();
    view.setApp(named(model, "Editor"));
    EXPECT_EQ(routeOf(view, "Editor"), "Removed by apt");
    ASSERT_TRUE(testing::eventually([&] { return view.previewLabel()->isVisible(); }, 60000));
    EXPECT_EQ(view.previewLabel()->text(),
              "apt would remove: tw-core, tw-editor\napt would also remove packages the system needs: tw-core.");

    const QString items = confirm(view, model);
    EXPECT_TRUE(items.contains("apt would remove: tw-core, tw-editor")) << items.toStdString();
    EXPECT_EQ(*model.actionMessage(),
              "Tidewell did not remove Editor: apt would also remove packages the system "
              "needs: tw-core. Nothing was changed.");
    EXPECT_EQ(model.actionResultKind(), ActionResultKind::failure);
    EXPECT_TRUE(fs::exists(system.system("/usr/bin/tw-editor")));
}

}  // namespace
}  // namespace tidewell
