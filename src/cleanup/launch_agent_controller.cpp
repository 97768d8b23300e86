#include "cleanup/launch_agent_controller.h"

#include <unistd.h>

#include <exception>

#include "process/command_runner.h"

namespace tidewell {

std::optional<std::string> LaunchAgentController::launchctl() {
    return CommandRunner::firstExecutable("launchctl", {"/bin/launchctl", "/usr/bin/launchctl"});
}

void LaunchAgentController::bootout(const CleanupCandidate& candidate, const std::optional<std::string>& tool) {
    if (candidate.kind != CleanupCandidateKind::launchAgent || !tool) return;
    try {
        CommandRunner::run(*tool, {"bootout", "gui/" + std::to_string(::getuid()), candidate.path});
    } catch (const std::exception&) {
        // Not loaded, not startable: the file is moved all the same.
    }
}

}  // namespace tidewell
