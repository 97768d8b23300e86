#include "main/tidewell_menus.h"

#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>

#include "main/tidewell_application_delegate.h"

namespace tidewell::TidewellMenus {

namespace {

void showAboutPanel(QWidget* parent) {
    QMessageBox::about(parent, "About Tidewell", QStringLiteral("Tidewell ") + QStringLiteral(TIDEWELL_VERSION));
}

}  // namespace

void build(QMenuBar& menuBar, TidewellApplicationDelegate& target) {
    QMenu* application = menuBar.addMenu("Tidewell");
    application->addAction("About Tidewell", &menuBar, [&menuBar] { showAboutPanel(menuBar.window()); });
    application->addSeparator();
    QAction* quit = application->addAction("Quit Tidewell", qApp, &QCoreApplication::quit);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu* file = menuBar.addMenu("File");
    QAction* show = file->addAction("Show Tidewell", &target, &TidewellApplicationDelegate::showMainWindowFromMenu);
    show->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    QAction* choose =
        file->addAction("Choose File to Repair", &target, &TidewellApplicationDelegate::chooseRepairFileFromMenu);
    choose->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* rescan = file->addAction("Rescan Apps", &target, &TidewellApplicationDelegate::rescanFromMenu);
    rescan->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
}

}  // namespace tidewell::TidewellMenus
