#pragma once

#include <filesystem>
#include <string>

namespace tidewell::Freedesktop {

// Uninstalls the app ref named `appID` whose deploy folder is `deployFolder` from the
// installation that holds it (user or system; when both hold the app, the deploy folder
// decides) with a libflatpak transaction. A system installation asks polkit through
// flatpak's own system helper when this process may not write it. Runtimes stay installed and
// the app's data in ~/.var/app is never touched. Throws std::runtime_error: "No Flatpak
// installation holds <id> at <folder>." when none holds it, else libflatpak's message when
// the transaction fails.
void uninstallFlatpak(const std::string& appID, const std::filesystem::path& deployFolder);

// `flatpak kill <appID>`: ends the app's sandboxed instances. An app that does not run, or
// a missing flatpak tool, is not an error. Throws std::runtime_error without running anything
// when `appID` is not a plain Flatpak id (letters, digits, '_', '-', '.').
void killFlatpakInstances(const std::string& appID);

}  // namespace tidewell::Freedesktop
