#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tidewell {

// One completed export as remembered across launches.
struct RepairHistoryRecord {
    std::string id;
    std::string sourceName;
    std::string outputName;
    // A bookmark of the output; on this platform the output's path as UTF-8 bytes.
    std::optional<std::vector<std::uint8_t>> outputBookmark;
    std::string kindRawValue;
    std::string stateRawValue;
    std::int64_t sourceSizeBytes = 0;
    std::int64_t outputSizeBytes = 0;
    std::chrono::system_clock::time_point completedAt;
    std::string message;

    // The bookmarked output; none without a bookmark or when it does not resolve.
    std::optional<std::filesystem::path> outputURL() const;
    // True when outputURL names an existing file system item.
    bool outputExists() const;

    bool operator==(const RepairHistoryRecord&) const = default;
};

// The bookmark data recorded for an output path.
std::vector<std::uint8_t> makeOutputBookmark(const std::filesystem::path& output);

}  // namespace tidewell
