#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "firstaid/command_runner.h"

namespace tidewell::testing {

// The real executable, beside this test binary.
inline std::filesystem::path tidewellExecutable() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tidewell";
}

// Runs the executable with these arguments and collects its status and both streams.
inline CommandOutput runTidewell(const std::vector<std::string>& arguments) {
    return CommandRunner::run(tidewellExecutable().string(), arguments);
}

}  // namespace tidewell::testing
