#pragma once

namespace tidewell::ApplicationShell {

// True when a display server can be reached (DISPLAY, WAYLAND_DISPLAY or an
// explicit QT_QPA_PLATFORM).
bool hasDisplay();

// Starts the desktop application and runs its event loop; returns the exit status.
int run(int argc, char** argv);

}  // namespace tidewell::ApplicationShell
