#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tidewell::platform {

struct BlockDeviceGeometry {
    std::int64_t sizeBytes = 0;
    std::int64_t sectorSize = 512;  // the logical block size: the smallest readable unit

    bool operator==(const BlockDeviceGeometry&) const = default;
};

// The size and sector size of a block device by its kernel name (sdb1, loop3),
// as the kernel publishes them to every user; none when the kernel lists no
// such device. No privilege is needed and the device is never opened.
std::optional<BlockDeviceGeometry> blockDeviceGeometry(const std::string& kernelName);

// The kernel name of the block device file at `path` (following links, so
// /dev/disk/by-label/CARD names sdb1); none when it is not a block device.
std::optional<std::string> blockDeviceKernelName(const std::filesystem::path& path);

// Where the block device with this kernel name is mounted (every mount point).
std::vector<std::filesystem::path> mountPointsOfBlockDevice(const std::string& kernelName);

}  // namespace tidewell::platform
