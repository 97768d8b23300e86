#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/tree_snapshot.h"

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

// Runs `tidewell <command> --output <output> <source>` as text and as JSON and expects both
// to fail with status 1 and this message for the source, on standard error and in "errors".
void expectRefusal(const std::string& command, const std::filesystem::path& output, const std::filesystem::path& source,
                   const std::string& message);

}  // namespace tidewell::testing
