#pragma once

#include <filesystem>

namespace tidewell::Freedesktop {

// Switches off a system autostart entry the way the autostart rules mean: a copy of it in
// $XDG_CONFIG_HOME/autostart under the same name, with Hidden=true. The system file stays.
// Throws std::runtime_error when the entry cannot be read or a user entry of that name
// already exists (it is what starts, and it is the user's).
void hideSystemAutostartEntry(const std::filesystem::path& systemEntry);

// `systemctl --user disable --now <unit>` for a unit file of the user's; the user's
// service manager stops it and forgets its links. Failures are passed over: without a
// running manager there is nothing to stop, and the file's move to the Trash keeps it
// from starting again.
void disableUserUnit(const std::filesystem::path& unitFile);

// `update-desktop-database` on the user's applications folder when both exist, so menus
// and file associations forget what went. Failures are passed over.
void refreshUserMenus();

}  // namespace tidewell::Freedesktop
