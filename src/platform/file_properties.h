#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>

namespace tidewell::platform {

// The resource properties of one directory entry, read without following a
// final symbolic link.
struct FileProperties {
    bool isRegularFile = false;
    bool isDirectory = false;
    bool isSymbolicLink = false;
    bool isHidden = false;                                              // name begins with "."
    std::optional<std::int64_t> allocatedSize;                          // st_blocks * 512 (regular files)
    std::optional<std::int64_t> totalAllocatedSize;                     // the same on Linux
    std::int64_t logicalSize = 0;                                       // st_size
    std::optional<std::chrono::system_clock::time_point> creationDate;  // statx birth time when known
    std::optional<std::chrono::system_clock::time_point> addedDate;     // not kept on Linux: absent
    std::optional<std::chrono::system_clock::time_point> accessDate;
    std::optional<std::chrono::system_clock::time_point> modificationDate;
};

// None when nothing exists at the path or it cannot be examined.
std::optional<FileProperties> fileProperties(const std::filesystem::path& path);

// A regular file (links followed) this process may execute.
bool isExecutableFile(const std::filesystem::path& path);

}  // namespace tidewell::platform
