#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temporary_folder.h"

namespace tidewell::testing {

// A control group named like the scope of a sandboxed app ("app-flatpak-<id>-<n>.scope",
// "snap.<name>.<app>-<n>.scope"), made in the first hierarchy that lets this process create
// one. Removed on destruction when it is empty.
class AppScope {
public:
    explicit AppScope(const std::string& name) {
        for (const char* hierarchy : {"/sys/fs/cgroup/unified", "/sys/fs/cgroup/systemd", "/sys/fs/cgroup"}) {
            const std::filesystem::path folder = std::filesystem::path(hierarchy) / name;
            if (::mkdir(folder.c_str(), 0755) != 0) continue;
            if (std::filesystem::exists(folder / "cgroup.procs")) {
                folder_ = folder;
                return;
            }
            ::rmdir(folder.c_str());  // a plain folder, not a control group
        }
    }
    ~AppScope() {
        if (!folder_.empty()) ::rmdir(folder_.c_str());
    }
    AppScope(const AppScope&) = delete;
    AppScope& operator=(const AppScope&) = delete;

    bool made() const { return !folder_.empty(); }
    // Moves the process into the group; true when its own cgroup file says so.
    bool add(pid_t pid) const {
        {
            std::ofstream procs(folder_ / "cgroup.procs");
            procs << pid << std::flush;
            if (!procs) return false;
        }
        return testing::readFile("/proc/" + std::to_string(pid) + "/cgroup").find(folder_.filename().string()) !=
               std::string::npos;
    }
    // Only an empty group can be removed.
    bool remove() {
        if (::rmdir(folder_.c_str()) != 0) return false;
        folder_.clear();
        return true;
    }

private:
    std::filesystem::path folder_;
};

}  // namespace tidewell::testing
