#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/disk_info_dictionary.h"
#include "platform/mount_info.h"

namespace tidewell::platform {

// Runs a tool with an argument vector and a time-out in seconds: its standard
// output when it exited with status 0, none when it could not start, timed out
// or failed. The engines pass the command runner here, which lives above this layer.
using DiskToolRunner = std::function<std::optional<std::string>(
    const std::string& executable, const std::vector<std::string>& arguments, double timeoutSeconds)>;

inline constexpr double diskToolTimeout = 20;

// The disk facts of the volume holding `path`, under the disk utility's keys:
// the mount is found in mountinfo, its block device is described by lsblk
// (time-out 20 s), and `blkid -p` names the file system when nothing else
// does. Empty when the path maps to no block device (network shares, image
// files mounted through FUSE, pseudo file systems) or lsblk cannot be run or
// gives no usable answer.
DiskInfo diskInformation(const std::filesystem::path& path, const DiskToolRunner& runTool);
// The same for the mount already found to hold the path, without reading mountinfo again.
DiskInfo diskInformation(const MountInfoEntry& mount, const DiskToolRunner& runTool);

// The kernel name of the block device behind a mount (sdb1, mmcblk0p1, dm-0),
// from the device number when sysfs knows it, else from a /dev source path.
std::optional<std::string> blockDeviceName(const MountInfoEntry& mount);

}  // namespace tidewell::platform
