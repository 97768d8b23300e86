#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace tidewell::testing {

// What one run of the real executable printed and returned.
struct TidewellRun {
    int status = -1;
    std::string out;
    std::string err;

    nlohmann::json json() const { return nlohmann::json::parse(out); }
};

// The tidewell executable built beside the test executable.
std::filesystem::path tidewellExecutable();

// Runs tidewell with these arguments in the current environment and waits for it.
TidewellRun runTidewell(const std::vector<std::string>& arguments);

// Every path below root with its size (folders as -1), to show nothing moved.
std::vector<std::pair<std::string, std::int64_t>> treeSnapshot(const std::filesystem::path& root);

}  // namespace tidewell::testing
