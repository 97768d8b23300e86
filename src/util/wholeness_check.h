#pragma once

#include <optional>
#include <string>

namespace tidewell {

// Whether a file was found whole by a check that knows its kind: not checked (a kind the
// check does not know, or a file it refused to read), whole, or the problem that keeps it
// from being whole.
struct WholenessCheck {
    bool checked = false;
    std::optional<std::string> problem;

    bool operator==(const WholenessCheck&) const = default;
};

}  // namespace tidewell
