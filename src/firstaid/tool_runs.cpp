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

std::optional<std::string> toolPath(const std::string& name) {
    return CommandRunner::firstExecutable(name);
}

}  // namespace tidewell::FileFirstAidEngine
