#pragma once

#include <chrono>
#include <string>

namespace tidewell {

// Short, numeric relative date text: "3 days ago", "2 hr. ago", "in 5 min.".
std::string tidewellString(std::chrono::system_clock::time_point date,
                           std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

}  // namespace tidewell
