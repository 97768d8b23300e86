#pragma once

#include <optional>
#include <string>

#include "cleanup/cleanup_candidate.h"

namespace tidewell {

// Unloads a user startup item just before its file is moved.
struct LaunchAgentController {
    // "launchctl" from the shipped tools, /bin or /usr/bin; none on most Linux systems.
    static std::optional<std::string> launchctl();

    // Runs `launchctl bootout gui/<uid> <plist>` for a launchAgent candidate
    // when the tool exists; any other kind is ignored. A failed start or a
    // non-zero exit is ignored too: an item that was not loaded still moves.
    static void bootout(const CleanupCandidate& candidate, const std::optional<std::string>& tool = launchctl());
};

}  // namespace tidewell
