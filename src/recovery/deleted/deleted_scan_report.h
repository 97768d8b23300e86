#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace tidewell::DeletedRecovery {

// What one deleted-file scan examined.
struct Report {
    std::string sourceName;
    std::chrono::system_clock::time_point startedAt;
    std::chrono::system_clock::time_point finishedAt;
    std::int64_t directoriesChecked = 0;  // distinct directory clusters visited
    std::int64_t entriesChecked = 0;      // 32-byte directory records examined
    std::int64_t candidatesFound = 0;
    std::int64_t skippedEntries = 0;  // deleted records rejected, plus directories with an empty chain

    bool operator==(const Report&) const = default;
};

}  // namespace tidewell::DeletedRecovery

namespace tidewell::FATDeletedRecoveryEngine {
using DeletedRecovery::Report;
}  // namespace tidewell::FATDeletedRecoveryEngine
