#include "firstaid/tool_runs.h"

#include <exception>
#include <mutex>
#include <utility>

namespace tidewell::FileFirstAidEngine {

std::optional<CommandOutput> runCheck(const std::string& executable, const std::vector<std::string>& arguments,
                                      double timeout) {
    try {
        return CommandRunner::run(executable, arguments, std::nullopt, std::nullopt, nullptr, timeout);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

namespace {

std::mutex hiddenToolsLock;
std::set<std::string> hiddenTools;

}  // namespace

std::optional<std::string> toolPath(const std::string& name) {
    {
        std::lock_guard lock(hiddenToolsLock);
        if (hiddenTools.contains(name)) return std::nullopt;
    }
    return CommandRunner::firstExecutable(name);
}

HiddenToolsForTesting::HiddenToolsForTesting(std::set<std::string> names) {
    std::lock_guard lock(hiddenToolsLock);
    previous_ = std::exchange(hiddenTools, std::move(names));
}

HiddenToolsForTesting::~HiddenToolsForTesting() {
    std::lock_guard lock(hiddenToolsLock);
    hiddenTools = std::move(previous_);
}

}  // namespace tidewell::FileFirstAidEngine
