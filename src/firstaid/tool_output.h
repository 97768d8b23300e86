#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tidewell {

namespace FileFirstAidEngine {

namespace Limits {
inline constexpr double kShortestCommandTimeout = 180;      // seconds
inline constexpr double kLongestCommandTimeout = 3600;      // seconds
inline constexpr double kCommandTimeoutPerMiB = 1.5;        // seconds
inline constexpr std::size_t kShortenedOutputLength = 420;  // characters
}  // namespace Limits

// Time-out in seconds for a tool run on this input: 180 s plus 1.5 s per MiB, at most
// one hour. An unreadable size counts as 0.
double commandTimeout(const std::filesystem::path& url);

// Tool output as shown in findings and warnings: trimmed, the fallback when empty,
// the last 420 characters (where tools print their error) when longer.
std::string shorten(std::string_view text, const std::string& fallback);

}  // namespace FileFirstAidEngine

}  // namespace tidewell
