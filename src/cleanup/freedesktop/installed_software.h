#pragma once

#include "cleanup/freedesktop/linux_app.h"

namespace tidewell::Freedesktop {

// The apps of the desktop entries in the XDG data folders (first desktop-file id wins;
// NoDisplay, Hidden and a failing TryExec skip an entry) plus the AppImages in the usual
// folders, each with its origin, and the names of every installed package, Flatpak and
// snap. Reads only; unreadable parts are passed over.
InstalledSoftware scanInstalledSoftware();

}  // namespace tidewell::Freedesktop
