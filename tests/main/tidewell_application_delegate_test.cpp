#include "main/tidewell_application_delegate.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "main/single_instance.h"
#include "model/app_model.h"
#include "model/scripted_desktop.h"
#include "support/eventually.h"
#include "support/temporary_folder.h"
#include "ui/content_view.h"
#include "ui/main_window.h"
#include "ui/page_router.h"
#include "ui/sidebar_view.h"
#include "ui/window_frame_store.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::runTool;
using testing::ScopedEnvironment;
using testing::TemporaryFolder;
using testing::TemporaryHome;
using testing::writeFile;

// A private home, runtime folder and temporary folder, so no other instance is found.
class DelegateTest : public ::testing::Test {
protected:
    TemporaryHome home;
    TemporaryFolder runtime;
    TemporaryFolder temporary;
    ScopedEnvironment runtimeDirectory{"XDG_RUNTIME_DIR", runtime.path().string()};
    ScopedEnvironment temporaryDirectory{"TMPDIR", temporary.path().string()};

    fs::path makeStaleWorkFolder(const std::string& name) {
        fs::path folder = temporary / name;
        fs::create_directory(folder);
        fs::last_write_time(folder, fs::file_time_type::clock::now() - std::chrono::hours(48));
        return folder;
    }
};

std::string tidewellExecutable() {
    return (fs::read_symlink("/proc/self/exe").parent_path() / "tidewell").string();
}

std::vector<std::pair<QString, QKeySequence>> menuItems(QMenuBar& bar) {
    std::vector<std::pair<QString, QKeySequence>> items;
    for (QAction* menu : bar.actions()) {
        items.emplace_back(menu->text(), QKeySequence());
        for (QAction* item : menu->menu()->actions())
            if (!item->isSeparator()) items.emplace_back(item->text(), item->shortcut());
    }
    return items;
}

TEST_F(DelegateTest, StartUpRemovesStaleWorkFoldersAndShowsTheHomePage) {
    fs::path stale = makeStaleWorkFolder("TidewellRepair-stale");
    TidewellApplicationDelegate delegate;
    ASSERT_TRUE(delegate.applicationDidFinishLaunching());
    EXPECT_FALSE(fs::exists(stale));

    MainWindow* window = delegate.mainWindowController().window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Tidewell");
    EXPECT_EQ(window->minimumSize(), QSize(1120, 640));
    EXPECT_EQ(window->content()->router()->shownItem(), SidebarItem::home);
    EXPECT_EQ(delegate.model().selectedProductModule(), std::nullopt);
    EXPECT_TRUE(TidewellApplicationDelegate::applicationShouldTerminateAfterLastWindowClosed());

    window->close();
    EXPECT_TRUE(WindowFrameStore::savedFrame(WindowFrameStore::mainWindowFrameName).has_value());
}

TEST_F(DelegateTest, MenusCarryTheirTitlesAndShortcutsInOrder) {
    TidewellApplicationDelegate delegate;
    ASSERT_TRUE(delegate.applicationDidFinishLaunching());
    const std::vector<std::pair<QString, QKeySequence>> expected{{"Tidewell", QKeySequence()},
                                                                 {"About Tidewell", QKeySequence()},
                                                                 {"Quit Tidewell", QKeySequence("Ctrl+Q")},
                                                                 {"File", QKeySequence()},
                                                                 {"Show Tidewell", QKeySequence("Ctrl+0")},
                                                                 {"Choose File to Repair", QKeySequence("Ctrl+O")},
                                                                 {"Rescan Apps", QKeySequence("Ctrl+R")}};
    EXPECT_EQ(menuItems(*delegate.mainWindowController().window()->menuBar()), expected);
}

TEST_F(DelegateTest, ChooseFileToRepairSwitchesToTheRepairModuleBeforeTheChooser) {
    TidewellApplicationDelegate delegate;
    ASSERT_TRUE(delegate.applicationDidFinishLaunching());
    AppModel& model = delegate.model();
    std::optional<ProductModule> moduleWhenAsked;
    std::optional<SidebarItem> itemWhenAsked;
    testing::ScriptedDialogs dialogs;
    dialogs.whenOpening = [&] {
        moduleWhenAsked = model.selectedProductModule();
        itemWhenAsked = model.selectedSidebarItem();
    };
    model.setDialogs(&dialogs);
    delegate.chooseRepairFileFromMenu();
    EXPECT_EQ(moduleWhenAsked, ProductModule::repair);
    EXPECT_EQ(itemWhenAsked, SidebarItem::repair);
}

// Answers the next file panel: records its title and picks `path` (a folder panel takes the
// folder it shows).
class PanelAnswer {
public:
    explicit PanelAnswer(fs::path path) : path_(std::move(path)) {
        QTimer::singleShot(0, [this] { answer(); });
    }
    const QString& title() const { return title_; }

private:
    void answer() {
        auto* panel = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!panel) return void(QTimer::singleShot(20, [this] { answer(); }));
        title_ = panel->windowTitle();
        if (panel->fileMode() == QFileDialog::Directory)
            panel->setDirectory(QString::fromStdString(path_.string()));
        else
            panel->selectFile(QString::fromStdString(path_.string()));
        static_cast<QDialog*>(panel)->accept();  // runs the panel's own accept
    }

    fs::path path_;
    QString title_;
};

TEST_F(DelegateTest, TheWorkflowsAskRealFilePanelsOverTheWindow) {
    TidewellApplicationDelegate delegate;
    ASSERT_TRUE(delegate.applicationDidFinishLaunching());
    AppModel& model = delegate.model();
    MainWindow* window = delegate.mainWindowController().window();

    const fs::path card = home.path() / "Camera Card";
    writeFile(card / "DCIM/IMG_0001.jpg", std::string(2000, 'j'));
    model.setSelectedProductModule(ProductModule::recover);
    model.setSelectedSidebarItem(SidebarItem::recovery);
    PanelAnswer folderAnswer(card);
    window->findChild<QPushButton*>("chooseSourceFolder")->click();
    EXPECT_EQ(folderAnswer.title(), "Choose a mounted recovery source");
    ASSERT_TRUE(testing::eventually([&] { return !model.recoveryVolumes().empty(); }));
    EXPECT_EQ(model.recoveryVolumes().front().mountURL, card);
    EXPECT_EQ(model.selectedRecoveryVolume()->mountURL, card);

    const fs::path damaged = home.path() / "report.pdf";
    writeFile(damaged, "%PDF-1.4\n1 0 obj\n<<>>\n");
    PanelAnswer fileAnswer(damaged);
    delegate.chooseRepairFileFromMenu();
    EXPECT_EQ(fileAnswer.title(), "Choose files to diagnose");
    ASSERT_EQ(model.repairJobs().size(), 1u);
    EXPECT_EQ(model.repairJobs().front().sourceURL, damaged);
}

TEST_F(DelegateTest, ShowTidewellBringsBackTheSameHiddenWindow) {
    TidewellApplicationDelegate delegate;
    ASSERT_TRUE(delegate.applicationDidFinishLaunching());
    MainWindow* window = delegate.mainWindowController().window();
    window->hide();
    delegate.showMainWindowFromMenu();
    EXPECT_EQ(delegate.mainWindowController().window(), window);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(DelegateTest, RescanForcesAScanWithoutPermissionSensitiveLocations) {
    TidewellApplicationDelegate delegate;
    ASSERT_TRUE(delegate.applicationDidFinishLaunching());
    std::vector<std::pair<bool, bool>> scans;
    QObject::connect(&delegate.model(), &AppModel::scanRequested, [&](bool force, bool includePermissionSensitive) {
        scans.emplace_back(force, includePermissionSensitive);
    });
    delegate.rescanFromMenu();
    ASSERT_TRUE(testing::eventually([&] { return scans.size() == 1u; }, 5000));
    EXPECT_EQ(scans.front(), std::make_pair(true, false));
}

TEST_F(DelegateTest, TerminationCancelsARunningRepair) {
    TidewellApplicationDelegate delegate;
    int cancellations = 0;
    QObject::connect(&delegate.model(), &AppModel::repairCancelled, [&] { ++cancellations; });
    delegate.applicationWillTerminate();
    EXPECT_EQ(cancellations, 1);
}

TEST_F(DelegateTest, ASecondInstanceRaisesTheFirstAndEndsWithoutCleaningUp) {
    TidewellApplicationDelegate first;
    ASSERT_TRUE(first.applicationDidFinishLaunching());
    MainWindow* window = first.mainWindowController().window();
    window->hide();
    fs::path stale = makeStaleWorkFolder("TidewellRepair-left-alone");

    ScopedEnvironment platform("QT_QPA_PLATFORM", "offscreen");
    std::string output;
    // `timeout` only keeps a broken hand-over from hanging the suite.
    EXPECT_EQ(runTool("timeout", {"120", tidewellExecutable()}, &output), 0) << output;
    EXPECT_TRUE(fs::exists(stale));
    ASSERT_TRUE(testing::eventually([&] { return window->isVisible(); }, 5000));
    EXPECT_EQ(first.mainWindowController().window(), window);
}

TEST_F(DelegateTest, ALeftoverSocketFromAVanishedInstanceIsReplacedButALiveOneIsNot) {
    writeFile(fs::path(SingleInstance::serverName().toStdString()), "");
    EXPECT_FALSE(SingleInstance::askRunningInstanceToShow());
    SingleInstanceServer server;
    EXPECT_TRUE(server.listen());

    SingleInstanceServer latecomer;
    EXPECT_FALSE(latecomer.listen());
    EXPECT_TRUE(SingleInstance::askRunningInstanceToShow());
}

}  // namespace
}  // namespace tidewell
