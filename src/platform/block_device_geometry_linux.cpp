#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <charconv>
#include <fstream>

#include "platform/block_device_geometry.h"
#include "platform/disk_information.h"
#include "platform/mount_info.h"

namespace tidewell::platform {

namespace {

namespace fs = std::filesystem;

std::optional<std::int64_t> numberIn(const fs::path& file) {
    std::ifstream stream(file);
    std::string text;
    if (!(stream >> text)) return std::nullopt;
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

}  // namespace

std::optional<BlockDeviceGeometry> blockDeviceGeometry(const std::string& kernelName) {
    if (kernelName.empty() || kernelName.find('/') != std::string::npos || kernelName.starts_with(".")) return {};
    const fs::path entry = fs::path("/sys/class/block") / kernelName;
    // The kernel counts "size" in 512-byte units whatever the device's sector size.
    auto sectors = numberIn(entry / "size");
    if (!sectors || *sectors > INT64_MAX / 512) return std::nullopt;
    BlockDeviceGeometry geometry{*sectors * 512, 512};
    // A partition has no queue of its own; its disk's queue applies.
    for (const fs::path& queue : {entry / "queue", entry / ".." / "queue"})
        if (auto logical = numberIn(queue / "logical_block_size"); logical && *logical >= 512) {
            geometry.sectorSize = *logical;
            break;
        }
    return geometry;
}

std::optional<std::string> blockDeviceKernelName(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISBLK(status.st_mode)) return std::nullopt;
    std::error_code error;
    const fs::path target = fs::read_symlink(
        "/sys/dev/block/" + std::to_string(major(status.st_rdev)) + ":" + std::to_string(minor(status.st_rdev)), error);
    if (error || target.filename().empty()) return std::nullopt;
    return target.filename().string();
}

std::vector<fs::path> mountPointsOfBlockDevice(const std::string& kernelName) {
    std::vector<fs::path> points;
    for (const MountInfoEntry& mount : currentMounts())
        if (blockDeviceName(mount) == kernelName) points.emplace_back(mount.mountPoint);
    return points;
}

}  // namespace tidewell::platform
