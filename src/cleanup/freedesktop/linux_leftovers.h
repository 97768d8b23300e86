#pragma once

#include <vector>

#include "cleanup/freedesktop/linux_app.h"
#include "cleanup/leftover_group.h"

namespace tidewell::Freedesktop {

// Data of removed Flatpaks and snaps, XDG folders no installed app, package or PATH
// executable owns, and autostart entries whose command is gone, grouped per app, largest
// group first. Shared folders of the deny list are never reported. Reads only.
std::vector<LeftoverGroup> leftovers(const InstalledSoftware& installed);

}  // namespace tidewell::Freedesktop
