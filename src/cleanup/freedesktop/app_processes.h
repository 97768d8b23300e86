#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "cleanup/freedesktop/linux_app.h"
#include "platform/running_processes.h"

namespace tidewell::Freedesktop {

// The sandboxed app a process's control group names: "app-flatpak-<id>-<n>.scope" for a
// Flatpak, "snap.<name>.<app>..." for a snap; both empty for any other process.
struct CgroupOwner {
    std::string flatpakID;
    std::string snapName;

    bool operator==(const CgroupOwner&) const = default;
};

// Reads the text of /proc/<pid>/cgroup.
CgroupOwner cgroupOwner(std::string_view cgroupText);

// A running process with the app its control group names.
struct AppProcess {
    platform::RunningProcess process;
    CgroupOwner owner;
};

// The process with the app its control group names (read now).
AppProcess appProcess(const platform::RunningProcess& process);

// The user's processes, each control group read once.
std::vector<AppProcess> appProcesses();

// True when the process runs the app: its executable lies in the app's files or is its
// executable, or its control group names the app's Flatpak id or snap name.
bool runsApp(const AppProcess& process, const LinuxApp& app);

// Resident bytes of the app's processes, summed.
std::int64_t appMemory(const LinuxApp& app, const std::vector<AppProcess>& processes);

}  // namespace tidewell::Freedesktop
