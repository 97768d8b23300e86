#pragma once

#include <string>
#include <string_view>

namespace tidewell {

// How a plan takes an item away. Files the user owns go to the Trash; software a package
// manager owns is removed by that manager; a system startup entry is switched off by a user
// copy that hides it.
enum class RemovalRoute { trash, flatpak, snap, apt, hiddenAutostart };

// "Moved to Trash", "Removed by Flatpak", "Removed by snapd", "Removed by apt",
// "Hidden from autostart".
std::string rawValue(RemovalRoute route);

// True for the routes that hand the item to a package manager.
bool isPackageManagerRoute(RemovalRoute route);

}  // namespace tidewell
