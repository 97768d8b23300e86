#include "main/application_shell.h"

#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <cstdlib>
#include <iostream>

#include "main/termination_signals.h"
#include "main/tidewell_application_delegate.h"

namespace tidewell::ApplicationShell {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

bool hasDisplay() {
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY") || isSet("QT_QPA_PLATFORM");
}

int run(int argc, char** argv) {
    // Without a display the toolkit would abort; say what is needed instead.
    if (!hasDisplay()) {
        std::cerr << "tidewell: the desktop application needs a graphical session (no DISPLAY or WAYLAND_DISPLAY); "
                     "run 'tidewell --help' for the headless runs."
                  << std::endl;
        return 1;
    }
    // The Clean module works on the home folder and Trash of whoever runs the window.
    if (::geteuid() == 0)
        std::cerr << "tidewell: running as root, so the Clean module works on root's home folder and Trash."
                  << std::endl;
    QApplication application(argc, argv);
    QApplication::setApplicationName("Tidewell");
    // Ties the windows to the installed menu entry and icon.
    QGuiApplication::setDesktopFileName("app.tidewell.Tidewell");
    QApplication::setWindowIcon(QIcon::fromTheme("app.tidewell.Tidewell"));
    // Before start-up, so a signal arriving while the window is made still quits in order.
    TerminationSignals::quitApplicationOnSignals();
    TidewellApplicationDelegate delegate;
    // A second instance has asked the first to show itself: end without a window.
    if (!delegate.applicationDidFinishLaunching()) return 0;
    return QApplication::exec();
}

}  // namespace tidewell::ApplicationShell
