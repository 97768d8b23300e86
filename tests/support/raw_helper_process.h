#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tidewell::testing {

// The real tidewell-raw-helper (built beside the test executable) serving a
// temporary socket over a temporary device folder; stopped when the object goes.
class RawHelperProcess {
public:
    RawHelperProcess(const std::filesystem::path& socketPath, const std::filesystem::path& deviceFolder,
                     const std::vector<std::string>& extraArguments = {});
    ~RawHelperProcess();
    RawHelperProcess(const RawHelperProcess&) = delete;
    RawHelperProcess& operator=(const RawHelperProcess&) = delete;

    // True while the helper process has not exited.
    bool isRunning();

private:
    pid_t pid_ = -1;
};

std::filesystem::path rawHelperExecutable();

}  // namespace tidewell::testing
