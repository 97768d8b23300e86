#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace tidewell {

// The verdict on how much an app is still in use, with its English reason.
struct UsageSummary {
    enum class Level { active, recentlyUsed, rarelyUsed, probablyUnused, unknown, protected_ };

    // Whole days since the last use that mark the levels.
    static constexpr std::int64_t rarelyUsedDays = 60;
    static constexpr std::int64_t probablyUnusedDays = 180;
    // Above this many bytes (decimal) a recently used app is called large.
    static constexpr std::int64_t significantDiskBytes = 5'000'000'000;

    Level level = Level::unknown;
    std::string reason;

    UsageSummary(Level level, std::string reason) : level(level), reason(std::move(reason)) {}
    // The verdict, first rule that holds: protected, running, no date, then by days since the last use.
    UsageSummary(std::optional<std::chrono::system_clock::time_point> lastUsedDate, bool isRunning,
                 std::int64_t diskBytes, std::int64_t launchAgentCount, bool isProtected,
                 std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

    bool operator==(const UsageSummary&) const = default;
};

// "Active", "Recently used", "Rarely used", "Probably unused", "Unknown", "Protected".
std::string rawValue(UsageSummary::Level level);

}  // namespace tidewell
