#include "platform/file_properties.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tidewell::platform {

namespace {

using Clock = std::chrono::system_clock;

Clock::time_point timePoint(const struct statx_timestamp& stamp) {
    const auto sinceEpoch = std::chrono::seconds(stamp.tv_sec) + std::chrono::nanoseconds(stamp.tv_nsec);
    return Clock::time_point(std::chrono::duration_cast<Clock::duration>(sinceEpoch));
}

// The entry's own name: "/a/b/" and "/a/b" both name "b".
std::string entryName(const std::filesystem::path& path) {
    const std::filesystem::path name = path.filename();
    return name.empty() ? path.parent_path().filename().string() : name.string();
}

}  // namespace

std::optional<FileProperties> fileProperties(const std::filesystem::path& path) {
    struct statx status {};
    if (path.empty() ||
        ::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &status) != 0) {
        return std::nullopt;
    }
    FileProperties properties;
    properties.isRegularFile = S_ISREG(status.stx_mode);
    properties.isDirectory = S_ISDIR(status.stx_mode);
    properties.isSymbolicLink = S_ISLNK(status.stx_mode);
    properties.isHidden = entryName(path).starts_with('.');
    properties.logicalSize = static_cast<std::int64_t>(status.stx_size);
    if (properties.isRegularFile && (status.stx_mask & STATX_BLOCKS) != 0) {
        // statx reports blocks in 512-byte units whatever the file system's block size.
        properties.allocatedSize = static_cast<std::int64_t>(status.stx_blocks) * 512;
        properties.totalAllocatedSize = properties.allocatedSize;
    }
    if ((status.stx_mask & STATX_BTIME) != 0) properties.creationDate = timePoint(status.stx_btime);
    if ((status.stx_mask & STATX_ATIME) != 0) properties.accessDate = timePoint(status.stx_atime);
    if ((status.stx_mask & STATX_MTIME) != 0) properties.modificationDate = timePoint(status.stx_mtime);
    return properties;
}

bool isExecutableFile(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace tidewell::platform
