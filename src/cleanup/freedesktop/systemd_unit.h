#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tidewell::Freedesktop {

// What a systemd user unit says about the program it runs and how it is kept running.
struct UnitFile {
    std::string description;            // [Unit] Description
    std::string execStart;              // [Service] ExecStart: the first command (an empty one resets)
    std::string restart;                // [Service] Restart
    std::vector<std::string> wantedBy;  // [Install] WantedBy, every word of every assignment

    bool operator==(const UnitFile&) const = default;
};

// Reads the lines of a unit file: "[Section]" headers, "Key=Value" assignments, "#" and
// ";" comments, a trailing "\" joining the next line. Unknown sections and keys are passed
// over; a line that is none of these is skipped.
UnitFile parseUnitFile(std::string_view text);

// Restart values that start the program again after it ends.
inline constexpr std::string_view keepAliveRestarts[] = {"always", "on-failure"};
bool keepsAlive(const UnitFile& unit);

}  // namespace tidewell::Freedesktop
