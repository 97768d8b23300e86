#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "process/command_runner.h"

namespace tidewell::FileFirstAidEngine {

// A run of a tool inside a check: a launch failure, time-out or cancellation
// counts as a failed run (none) rather than an error of the diagnosis.
std::optional<CommandOutput> runCheck(const std::string& executable, const std::vector<std::string>& arguments,
                                      double timeout = 900);

// The tool's path when the tool is available now.
std::optional<std::string> toolPath(const std::string& name);

// While it lives, toolPath reports the named tools as missing. zip and unzip
// are always found in the system folders, so tests hide them this way.
class HiddenToolsForTesting {
public:
    explicit HiddenToolsForTesting(std::set<std::string> names);
    ~HiddenToolsForTesting();
    HiddenToolsForTesting(const HiddenToolsForTesting&) = delete;
    HiddenToolsForTesting& operator=(const HiddenToolsForTesting&) = delete;

private:
    std::set<std::string> previous_;
};

}  // namespace tidewell::FileFirstAidEngine
