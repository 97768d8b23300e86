#pragma once

#include <QObject>
#include <memory>

#include "main/single_instance.h"
#include "ui/main_window_controller.h"
#include "ui/qt_desktop.h"
#include "ui/qt_dialogs.h"

namespace tidewell {

class AppModel;

// Owns the one application model and the main window controller for the life of the
// process, runs start-up and termination, and carries out the menu commands.
class TidewellApplicationDelegate : public QObject {
    Q_OBJECT

public:
    explicit TidewellApplicationDelegate(QObject* parent = nullptr);
    ~TidewellApplicationDelegate() override;

    AppModel& model() const { return *model_; }
    TidewellMainWindowController& mainWindowController() { return mainWindowController_; }

    // Asks a running instance to show itself and answers false (quit at once, nothing
    // started); otherwise removes stale repair work folders, shows the window and answers true.
    bool applicationDidFinishLaunching();
    // Stops a running repair, then every external tool still running.
    void applicationWillTerminate();
    // Shows the main window whatever `hasVisibleWindows` says.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    // Closing the main window quits the application.
    static bool applicationShouldTerminateAfterLastWindowClosed() { return true; }

public slots:
    void showMainWindow();
    void showMainWindowFromMenu();
    void rescanFromMenu();
    void chooseRepairFileFromMenu();

private:
    // The model asks these for file panels and the file browser; they outlive it.
    QtDialogs dialogs_;
    QtDesktop desktop_;
    std::unique_ptr<AppModel> model_;
    TidewellMainWindowController mainWindowController_;
    SingleInstanceServer instanceServer_;
    bool menusBuilt_ = false;
};

}  // namespace tidewell
