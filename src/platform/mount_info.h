#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell::platform {

// One line of /proc/self/mountinfo, with the escaped fields (\040 and the
// like) decoded.
struct MountInfoEntry {
    int mountID = 0;
    int parentID = 0;
    unsigned deviceMajor = 0;
    unsigned deviceMinor = 0;
    std::string root;
    std::string mountPoint;
    std::string mountOptions;  // per-mount options, such as "ro,relatime"
    std::string fileSystemType;
    std::string source;  // "/dev/sdb1", "tmpfs", "server:/export", an image file ...
    std::string superOptions;

    bool isReadOnlyMount() const;
    bool operator==(const MountInfoEntry&) const = default;
};

// Parses the whole text of a mountinfo file; malformed lines are skipped.
std::vector<MountInfoEntry> parseMountInfo(std::string_view text);

// The entry whose mount point is the longest folder prefix of `path` (an
// absolute, symbolic-link-free path); the later line wins a tie, as the later
// mount hides the earlier one.
std::optional<MountInfoEntry> mountContaining(const std::vector<MountInfoEntry>& entries,
                                              const std::filesystem::path& path);

// The symbolic-link-free absolute form of a path (as far as it exists), or its
// lexical normal form when it cannot be resolved; no trailing "/".
std::filesystem::path resolvedPath(const std::filesystem::path& path);

// Reads and parses the mountinfo file named by the disk-information sources;
// empty when it cannot be read.
std::vector<MountInfoEntry> currentMounts();

}  // namespace tidewell::platform
