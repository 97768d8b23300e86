#include "raw_device_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/raw_partition_identifier.h"
#include "system_mounts.h"

namespace tidewell::helper {

namespace {

class Descriptor {
public:
    explicit Descriptor(int value) : value_(value) {}
    ~Descriptor() {
        if (value_ >= 0) ::close(value_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int value() const { return value_; }

private:
    int value_;
};

// A block device must be a partition (the kernel lists a "partition" entry
// for it) or a loop device; whole disks are never read.
bool isPartitionDevice(const struct stat& status, const std::string& identifier) {
    if (!S_ISBLK(status.st_mode)) return true;
    if (identifier.starts_with("loop")) return true;
    const std::string entry = "/sys/dev/block/" + std::to_string(major(status.st_rdev)) + ":" +
                              std::to_string(minor(status.st_rdev)) + "/partition";
    return ::access(entry.c_str(), F_OK) == 0;
}

RawDeviceReadOutcome readExactly(int descriptor, std::int64_t offset, std::int64_t length) {
    platform::HelperBytes buffer(static_cast<std::size_t>(length));
    std::size_t done = 0;
    while (done < buffer.size()) {
        ssize_t count = ::pread(descriptor, buffer.data() + done, buffer.size() - done,
                                static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return std::string("The partition could not be read: ") + std::strerror(errno) + ".";
        if (count == 0) return std::string("The partition ended before the requested range could be read.");
        done += static_cast<std::size_t>(count);
    }
    return buffer;
}

}  // namespace

RawDeviceReadOutcome readRawDevice(const RawDeviceSettings& settings, const std::string& identifier,
                                   std::int64_t offset, std::int64_t length) {
    if (!platform::isRawPartitionIdentifier(identifier))
        return std::string("The read-only recovery helper refused an unexpected raw-device identifier.");
    if (offset < 0 || length < 1 || length > std::int64_t{platform::HelperArchiveLimits::maxDataLength} ||
        offset > INT64_MAX - length)
        return std::string("Invalid raw-device read range.");
    const std::filesystem::path devicePath = settings.deviceFolder / identifier;
    Descriptor device(::open(devicePath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
    if (device.value() < 0)
        return std::string("The partition ") + identifier + " could not be opened: " + std::strerror(errno) + ".";
    struct stat status {};
    if (::fstat(device.value(), &status) != 0 || !(S_ISBLK(status.st_mode) || S_ISREG(status.st_mode)) ||
        !isPartitionDevice(status, identifier))
        return std::string("The read-only recovery helper reads partitions only.");
    if (holdsSystemFileSystem(status, devicePath, settings.mountTable))
        return std::string("The read-only recovery helper does not read partitions that hold a system file system.");
    return readExactly(device.value(), offset, length);
}

}  // namespace tidewell::helper
