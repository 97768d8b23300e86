#pragma once

#include <optional>
#include <string>
#include <vector>

#include "firstaid/command_runner.h"

namespace tidewell::FileFirstAidEngine {

// A run of a tool inside a check: a launch failure, time-out or cancellation
// counts as a failed run (none) rather than an error of the diagnosis.
std::optional<CommandOutput> runCheck(const std::string& executable, const std::vector<std::string>& arguments,
                                      double timeout = 900);

// The tool's path when the tool is available now.
std::optional<std::string> toolPath(const std::string& name);

}  // namespace tidewell::FileFirstAidEngine
