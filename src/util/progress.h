#pragma once

#include <functional>
#include <string>

namespace tidewell {

// Progress of a long operation: a fraction in 0...1 and a status line, called
// on the engine's own thread. May be empty.
using ProgressCallback = std::function<void(double fraction, const std::string& line)>;

}  // namespace tidewell
