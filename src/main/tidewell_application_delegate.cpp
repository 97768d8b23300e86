#include "main/tidewell_application_delegate.h"

#include <QApplication>

#include "firstaid/stale_work_folders.h"
#include "main/tidewell_menus.h"
#include "model/app_model.h"
#include "process/command_runner.h"
#include "ui/main_window.h"

namespace tidewell {

TidewellApplicationDelegate::TidewellApplicationDelegate(QObject* parent)
    : QObject(parent), model_(std::make_unique<AppModel>()) {
    model_->setDialogs(&dialogs_);
    model_->setDesktop(&desktop_);
    connect(&instanceServer_, &SingleInstanceServer::showRequested, this, &TidewellApplicationDelegate::showMainWindow);
}

TidewellApplicationDelegate::~TidewellApplicationDelegate() = default;

bool TidewellApplicationDelegate::applicationDidFinishLaunching() {
    if (SingleInstance::askRunningInstanceToShow()) return false;
    // Two starts at the same moment: the one that lost the name hands over to the other.
    if (!instanceServer_.listen() && SingleInstance::askRunningInstanceToShow()) return false;
    QApplication::setQuitOnLastWindowClosed(applicationShouldTerminateAfterLastWindowClosed());
    connect(qApp, &QCoreApplication::aboutToQuit, this, &TidewellApplicationDelegate::applicationWillTerminate,
            Qt::UniqueConnection);
    RepairWorkFolders::cleanupStaleTemporaryDirectories();
    showMainWindow();
    return true;
}

void TidewellApplicationDelegate::applicationWillTerminate() {
    model_->cancelRepair();
    CommandRunner::terminateAll();
}

bool TidewellApplicationDelegate::applicationShouldHandleReopen(bool) {
    showMainWindow();
    return true;
}

void TidewellApplicationDelegate::showMainWindow() {
    mainWindowController_.show(*model_);
    dialogs_.setParent(mainWindowController_.window());
    if (!menusBuilt_) {
        TidewellMenus::build(*mainWindowController_.window()->menuBar(), *this);
        menusBuilt_ = true;
    }
}

void TidewellApplicationDelegate::showMainWindowFromMenu() {
    showMainWindow();
}

void TidewellApplicationDelegate::rescanFromMenu() {
    showMainWindow();
    // Queued, so the menu returns before the scan starts.
    QMetaObject::invokeMethod(
        this, [this] { model_->scan(true, false); }, Qt::QueuedConnection);
}

void TidewellApplicationDelegate::chooseRepairFileFromMenu() {
    showMainWindow();
    model_->setSelectedProductModule(ProductModule::repair);
    model_->setSelectedSidebarItem(SidebarItem::repair);
    model_->chooseRepairFile();
}

}  // namespace tidewell
