#include "raw_device_access.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/raw_partition_identifier.h"
#include "system_mounts.h"

namespace tidewell::helper {

namespace {

// A block device must be a partition (the kernel lists a "partition" entry
// for it) or a loop device; whole disks are never read.
bool isPartitionDevice(const struct stat& status, const std::string& identifier) {
    if (!S_ISBLK(status.st_mode)) return true;
    if (identifier.starts_with("loop")) return true;
    const std::string entry = "/sys/dev/block/" + std::to_string(major(status.st_rdev)) + ":" +
                              std::to_string(minor(status.st_rdev)) + "/partition";
    return ::access(entry.c_str(), F_OK) == 0;
}

std::optional<std::int64_t> sizeOf(int descriptor, const struct stat& status) {
    if (S_ISREG(status.st_mode)) return status.st_size;
    std::uint64_t bytes = 0;
    if (::ioctl(descriptor, BLKGETSIZE64, &bytes) != 0 || bytes > INT64_MAX) return std::nullopt;
    return static_cast<std::int64_t>(bytes);
}

std::optional<std::string> refusalOf(int descriptor, const std::string& identifier,
                                     const std::filesystem::path& devicePath, const RawDeviceSettings& settings,
                                     std::int64_t end) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !(S_ISBLK(status.st_mode) || S_ISREG(status.st_mode)) ||
        !isPartitionDevice(status, identifier))
        return "The read-only recovery helper reads partitions only.";
    if (holdsSystemFileSystem(status, devicePath, settings.mountTable))
        return "The read-only recovery helper does not read partitions that hold a system file system.";
    auto size = sizeOf(descriptor, status);
    if (!size) return std::string("The partition size could not be read: ") + std::strerror(errno) + ".";
    if (end > *size) return "The partition ended before the requested range could be read.";
    return std::nullopt;
}

}  // namespace

RawDeviceRange::~RawDeviceRange() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

RawDeviceRange::RawDeviceRange(RawDeviceRange&& other) noexcept
    : descriptor_(other.descriptor_), offset_(other.offset_), length_(other.length_) {
    other.descriptor_ = -1;
}

std::variant<RawDeviceRange, std::string> openRawDeviceRange(const RawDeviceSettings& settings,
                                                             const std::string& identifier, std::int64_t offset,
                                                             std::int64_t length) {
    if (!platform::isRawPartitionIdentifier(identifier))
        return std::string("The read-only recovery helper refused an unexpected raw-device identifier.");
    if (offset < 0 || length < 1 || length > std::int64_t{platform::HelperArchiveLimits::maxDataLength} ||
        offset > INT64_MAX - length)
        return std::string("Invalid raw-device read range.");
    const std::filesystem::path devicePath = settings.deviceFolder / identifier;
    RawDeviceRange range(::open(devicePath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY), offset, length);
    if (range.descriptor() < 0)
        return std::string("The partition ") + identifier + " could not be opened: " + std::strerror(errno) + ".";
    if (auto refusal = refusalOf(range.descriptor(), identifier, devicePath, settings, offset + length))
        return *refusal;
    return range;
}

}  // namespace tidewell::helper
