#include "ui/main_window.h"

#include <QCloseEvent>

#include "ui/content_view.h"
#include "ui/window_frame_store.h"

namespace tidewell {

MainWindow::MainWindow(AppModel& model, PageRouter::PageFactory factory, QWidget* parent) : QMainWindow(parent) {
    setWindowTitle("Tidewell");
    setMinimumSize(minimumWindowSize);
    resize(defaultSize);
    content_ = new ContentView(model, std::move(factory), this);
    setCentralWidget(content_);
}

MainWindow::~MainWindow() {
    if (isVisible()) rememberFrame();
}

bool MainWindow::restoreRememberedFrame() {
    auto frame = WindowFrameStore::savedFrame(WindowFrameStore::mainWindowFrameName);
    return frame && restoreGeometry(*frame);
}

void MainWindow::rememberFrame() {
    WindowFrameStore::saveFrame(WindowFrameStore::mainWindowFrameName, saveGeometry());
}

void MainWindow::closeEvent(QCloseEvent* event) {
    rememberFrame();
    QMainWindow::closeEvent(event);
}

}  // namespace tidewell
