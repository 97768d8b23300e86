#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/mount_info.h"

namespace tidewell::platform {

// The volume facts of the volume holding a path; each may be absent.
struct VolumeResourceValues {
    std::optional<std::string> volumeName;  // the mount point's last component; none for "/"
    std::optional<bool> volumeIsLocal;      // not a network or pseudo file system
    std::optional<bool> volumeIsRemovable;  // sysfs "removable" of the whole disk
    std::optional<std::int64_t> volumeTotalCapacity;
    std::optional<std::int64_t> volumeAvailableCapacity;
    std::optional<bool> volumeIsReadOnly;

    bool operator==(const VolumeResourceValues&) const = default;
};

// Mount points of the mounted volumes in mountinfo order, leaving out pseudo
// file systems and hidden mount points.
std::vector<std::filesystem::path> mountedVolumeURLs();
// The same from a mount table already read.
std::vector<std::filesystem::path> mountedVolumeURLs(const std::vector<MountInfoEntry>& mounts);

// None when the path cannot be examined (statvfs fails).
std::optional<VolumeResourceValues> volumeResourceValues(const std::filesystem::path& path);
// The same with the mount holding the path already found, as
// mountContaining(mounts, resolvedPath(path)) gives it (none when no mount holds it).
std::optional<VolumeResourceValues> volumeResourceValues(const std::filesystem::path& path,
                                                         const std::optional<MountInfoEntry>& mount);

// Kernel-interface and memory file systems (proc, sysfs, tmpfs, cgroup ...).
bool isPseudoFileSystem(const MountInfoEntry& mount);
// Network file systems, by type or by a "host:/path" or "//host/share" source.
bool isNetworkFileSystem(const MountInfoEntry& mount);
// A mount point with a component that begins with ".", or under /proc, /sys or /dev.
bool isHiddenMountPoint(const std::string& mountPoint);

}  // namespace tidewell::platform
