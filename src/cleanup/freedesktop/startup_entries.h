#pragma once

#include <vector>

#include "cleanup/freedesktop/linux_app.h"
#include "cleanup/launch_agent_info.h"

namespace tidewell::Freedesktop {

// The user's autostart entries and systemd user units, then the system ones (locked:
// they need an administrator).
std::vector<LaunchAgentInfo> startupItems();

// True when the item starts the app: its Exec / ExecStart names the app's executable (path
// or name), its Flatpak id ("flatpak run <id>") or its snap name.
bool startsApp(const LaunchAgentInfo& item, const LinuxApp& app);

}  // namespace tidewell::Freedesktop
