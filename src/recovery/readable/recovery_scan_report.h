#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace tidewell {

// The facts of one finished readable scan.
struct RecoveryScanReport {
    std::string sourceName;
    std::chrono::system_clock::time_point startedAt;
    std::chrono::system_clock::time_point finishedAt;
    std::int64_t filesVisited = 0;
    std::int64_t candidatesFound = 0;
    std::int64_t skippedItems = 0;
    bool reachedItemLimit = false;

    // Whole seconds, at least 1: "45s", or "2m 5s" from a minute on.
    std::string durationText() const;

    bool operator==(const RecoveryScanReport&) const = default;
};

}  // namespace tidewell
