#pragma once

#include <filesystem>
#include <optional>
#include <string>
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

// One autostart desktop entry, read the way a session starts it.
struct AutostartEntry {
    std::string name;                  // Name, localized; the file name without ".desktop" when absent
    std::vector<std::string> command;  // the words of Exec
    bool hidden = false;               // Hidden=true: the entry is switched off
    bool enabled = true;               // X-GNOME-Autostart-enabled

    bool operator==(const AutostartEntry&) const = default;
};

// Parsed with GLib's key-file reader; none when the file is unreadable, is no desktop
// entry or has no Exec.
std::optional<AutostartEntry> readAutostartEntry(const std::filesystem::path& path);

}  // namespace tidewell::Freedesktop
