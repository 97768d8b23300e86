#include "main/application_shell.h"

#include <QApplication>
#include <QMainWindow>
#include <cstdlib>
#include <iostream>

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
    QApplication application(argc, argv);
    QApplication::setApplicationName("Tidewell");
    QMainWindow window;
    window.setWindowTitle("Tidewell");
    window.setMinimumSize(1120, 640);
    window.resize(1260, 740);
    window.show();
    return QApplication::exec();
}

}  // namespace tidewell::ApplicationShell
