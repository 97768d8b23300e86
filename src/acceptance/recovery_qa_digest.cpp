#include "acceptance/recovery_qa_digest.h"

#include <mutex>
#include <sstream>

#include "process/command_runner.h"
#include "recovery/readable/external_recovery_engine.h"

namespace tidewell::RecoveryQAAcceptance {

namespace {

constexpr double digestTimeout = 30;

std::mutex& toolMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& installedTool() {
    static std::string tool = defaultDigestTool;
    return tool;
}

}  // namespace

std::string digestTool() {
    std::lock_guard lock(toolMutex());
    return installedTool();
}

void setDigestTool(const std::string& executable) {
    std::lock_guard lock(toolMutex());
    installedTool() = executable;
}

std::string digest(const std::filesystem::path& url) {
    CommandOutput output =
        CommandRunner::run(digestTool(), {url.string()}, std::nullopt, std::nullopt, nullptr, digestTimeout);
    std::istringstream fields(output.stdoutText);
    std::string first;
    if (output.status != 0 || !(fields >> first))
        throw ExternalRecoveryEngine::RecoveryError::sourceUnavailable("Could not checksum " + url.filename().string() +
                                                                       ".");
    // The tool marks the line of a name holding a backslash or a line feed with a leading backslash.
    if (first.size() > 1 && first.front() == '\\') first.erase(0, 1);
    return first;
}

}  // namespace tidewell::RecoveryQAAcceptance
