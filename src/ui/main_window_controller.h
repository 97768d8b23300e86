#pragma once

#include <memory>

#include "ui/page_router.h"

class QScreen;

namespace tidewell {

class AppModel;
class MainWindow;

// Creates the main window on the first show and brings the same window back afterwards.
class TidewellMainWindowController {
public:
    explicit TidewellMainWindowController(PageRouter::PageFactory factory = {});
    ~TidewellMainWindowController();

    // Creates the window if needed (centred, remembered frame), fits it to the visible
    // screen area and brings it to the front.
    void show(AppModel& model);
    MainWindow* window() const { return window_.get(); }

    // Fits the window to the visible area of its screen (else the primary, else the first).
    void fitToVisibleScreen();

private:
    void create(AppModel& model);
    QScreen* screen() const;

    PageRouter::PageFactory factory_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace tidewell
