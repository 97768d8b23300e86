#pragma once

#include <chrono>
#include <filesystem>
#include <string_view>

// Work folders of archive rebuilds left behind by an earlier run that ended abruptly.
namespace tidewell::RepairWorkFolders {

inline constexpr std::string_view namePrefix = "TidewellRepair-";
inline constexpr std::chrono::seconds staleAge{86'400};

// Removes every directory directly in `folder` whose name begins with "TidewellRepair-" and
// whose modification date is more than a day before `now`. Symbolic links, other entries and
// entries without a readable date stay; removal errors are ignored.
void cleanupStaleTemporaryDirectories(const std::filesystem::path& folder, std::chrono::system_clock::time_point now);

// The same in the temporary folder, now.
void cleanupStaleTemporaryDirectories();

}  // namespace tidewell::RepairWorkFolders
