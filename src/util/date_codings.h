#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace tidewell {

using Clock = std::chrono::system_clock;

// ISO 8601 internet date-time in UTC, whole seconds: "2026-12-04T11:22:46Z".
std::string iso8601String(Clock::time_point date);
// Accepts "YYYY-MM-DDTHH:MM:SSZ" (optionally with fractional seconds); none otherwise.
std::optional<Clock::time_point> parseIso8601(std::string_view text);

// Seconds since the reference date 2001-01-01T00:00:00Z, both ways.
double secondsSinceReferenceDate(Clock::time_point date);
Clock::time_point dateFromSecondsSinceReferenceDate(double seconds);

}  // namespace tidewell
