#include "ui/main_window_controller.h"

#include <QGuiApplication>
#include <QScreen>

#include "ui/main_window.h"
#include "ui/window_fitting.h"

namespace tidewell {

TidewellMainWindowController::TidewellMainWindowController(PageRouter::PageFactory factory)
    : factory_(std::move(factory)) {}

TidewellMainWindowController::~TidewellMainWindowController() = default;

void TidewellMainWindowController::show(AppModel& model) {
    if (!window_) create(model);
    fitToVisibleScreen();
    if (window_->isMinimized()) window_->showNormal();
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void TidewellMainWindowController::create(AppModel& model) {
    window_ = std::make_unique<MainWindow>(model, factory_);
    window_->restoreRememberedFrame();
    if (QScreen* shown = screen()) {
        QRect frame = window_->geometry();
        frame.moveCenter(shown->availableGeometry().center());
        window_->setGeometry(frame);
    }
}

QScreen* TidewellMainWindowController::screen() const {
    if (window_ && window_->screen()) return window_->screen();
    if (QScreen* primary = QGuiApplication::primaryScreen()) return primary;
    const QList<QScreen*> screens = QGuiApplication::screens();
    return screens.isEmpty() ? nullptr : screens.front();
}

void TidewellMainWindowController::fitToVisibleScreen() {
    QScreen* shown = screen();
    if (!window_ || !shown) return;
    window_->setGeometry(
        WindowFitting::fittedFrame(window_->geometry(), window_->minimumSize(), shown->availableGeometry()));
}

}  // namespace tidewell
