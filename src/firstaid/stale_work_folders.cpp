#include "firstaid/stale_work_folders.h"

#include "platform/folders.h"

namespace tidewell::RepairWorkFolders {

namespace fs = std::filesystem;

namespace {

bool isStaleWorkFolder(const fs::directory_entry& entry, std::chrono::system_clock::time_point cutoff) {
    std::error_code error;
    if (!entry.path().filename().string().starts_with(namePrefix)) return false;
    // A link is never followed: what it points at is not ours.
    if (!fs::is_directory(entry.symlink_status(error)) || error) return false;
    fs::file_time_type modified = fs::last_write_time(entry.path(), error);
    if (error) return false;
    return std::chrono::file_clock::to_sys(modified) < cutoff;
}

}  // namespace

void cleanupStaleTemporaryDirectories(const fs::path& folder, std::chrono::system_clock::time_point now) {
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    if (error) return;
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        if (!isStaleWorkFolder(*entries, now - staleAge)) continue;
        std::error_code ignored;
        fs::remove_all(entries->path(), ignored);
    }
}

void cleanupStaleTemporaryDirectories() {
    cleanupStaleTemporaryDirectories(platform::temporaryDirectory(), std::chrono::system_clock::now());
}

}  // namespace tidewell::RepairWorkFolders
