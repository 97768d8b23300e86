#include "cleanup/freedesktop/app_processes.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "cleanup/saturating_sum.h"
#include "util/path_containment.h"

namespace tidewell::Freedesktop {

namespace {

bool isDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The last path component of a cgroup line ("0::/user.slice/.../app.slice/<unit>").
std::string_view unitName(std::string_view line) {
    const auto slash = line.rfind('/');
    return slash == std::string_view::npos ? line : line.substr(slash + 1);
}

}  // namespace

CgroupOwner cgroupOwner(std::string_view cgroupText) {
    CgroupOwner owner;
    std::istringstream lines{std::string(cgroupText)};
    std::string line;
    while (std::getline(lines, line)) {
        std::string_view unit = unitName(line);
        constexpr std::string_view flatpakPrefix = "app-flatpak-";
        constexpr std::string_view snapPrefix = "snap.";
        if (unit.starts_with(flatpakPrefix) && unit.ends_with(".scope")) {
            unit = unit.substr(flatpakPrefix.size(), unit.size() - flatpakPrefix.size() - 6);
            const auto dash = unit.rfind('-');
            if (dash != std::string_view::npos && dash > 0 && isDigits(unit.substr(dash + 1)))
                owner.flatpakID = std::string(unit.substr(0, dash));
        } else if (unit.starts_with(snapPrefix)) {
            unit.remove_prefix(snapPrefix.size());
            const auto dot = unit.find('.');
            if (dot != std::string_view::npos && dot > 0) owner.snapName = std::string(unit.substr(0, dot));
        }
        if (!owner.flatpakID.empty() || !owner.snapName.empty()) return owner;
    }
    return owner;
}

AppProcess appProcess(const platform::RunningProcess& process) {
    std::ifstream file("/proc/" + std::to_string(process.pid) + "/cgroup");
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return {process, cgroupOwner(text)};
}

std::vector<AppProcess> appProcesses() {
    std::vector<AppProcess> processes;
    for (const platform::RunningProcess& process : platform::runningProcesses())
        processes.push_back(appProcess(process));
    return processes;
}

bool runsApp(const AppProcess& process, const LinuxApp& app) {
    if (app.origin == AppOrigin::flatpak && process.owner.flatpakID == app.identifier) return true;
    if (app.origin == AppOrigin::snap && process.owner.snapName == app.identifier) return true;
    if (process.process.path.empty()) return false;
    if (app.executable && process.process.path == app.executable->string()) return true;
    return !app.path.empty() && isPathInside(std::string_view(process.process.path), app.path.native());
}

std::int64_t appMemory(const LinuxApp& app, const std::vector<AppProcess>& processes) {
    std::int64_t memory = 0;
    for (const AppProcess& process : processes)
        if (runsApp(process, app)) memory = saturatingSum(memory, process.process.rss);
    return memory;
}

}  // namespace tidewell::Freedesktop
