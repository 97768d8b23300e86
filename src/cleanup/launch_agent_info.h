#pragma once

#include <optional>
#include <string>

namespace tidewell {

// A launchd startup item (user agent, system agent or system daemon).
struct LaunchAgentInfo {
    std::string id;     // path of the property-list file
    std::string label;  // "Label", else the file name without extension
    std::string path;
    std::string program;  // never empty
    bool keepAlive = false;
    bool runAtLoad = false;
    bool requiresAdmin = false;             // found in a system-wide folder
    std::optional<std::string> helperPath;  // program, when it is a privileged helper tool

    // Why the item matters to the user, first rule that holds.
    std::string reason() const;

    bool operator==(const LaunchAgentInfo&) const = default;
};

}  // namespace tidewell
