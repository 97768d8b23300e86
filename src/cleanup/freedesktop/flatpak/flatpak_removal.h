#pragma once

#include <filesystem>
#include <string>

namespace tidewell::Freedesktop {

// Uninstalls the app ref whose deploy folder is `deployFolder` from the installation that
// holds it (user or system) with a libflatpak transaction. A system installation asks
// polkit through flatpak's own system helper when this process may not write it. The app's
// data in ~/.var/app is never touched. Throws std::runtime_error with libflatpak's message
// when no installation holds the ref or the transaction fails.
void uninstallFlatpak(const std::string& appID, const std::filesystem::path& deployFolder);

// `flatpak kill <appID>`: ends the app's sandboxed instances. An app that does not run, or
// a missing flatpak tool, is not an error.
void killFlatpakInstances(const std::string& appID);

}  // namespace tidewell::Freedesktop
