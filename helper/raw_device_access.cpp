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
#include <vector>

#include "platform/raw_partition_identifier.h"
#include "system_mounts.h"

namespace tidewell::helper {

namespace {

std::optional<std::int64_t> sizeOf(int descriptor, const struct stat& status) {
    if (S_ISREG(status.st_mode)) return status.st_size;
    std::uint64_t bytes = 0;
    if (::ioctl(descriptor, BLKGETSIZE64, &bytes) != 0 || bytes > INT64_MAX) return std::nullopt;
    return static_cast<std::int64_t>(bytes);
}

std::vector<std::uint8_t> bytesAt(int descriptor, std::int64_t offset, std::size_t length) {
    std::vector<std::uint8_t> bytes(length);
    std::size_t filled = 0;
    while (filled < length) {
        ssize_t count =
            ::pread(descriptor, bytes.data() + filled, length - filled, offset + static_cast<std::int64_t>(filled));
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        filled += static_cast<std::size_t>(count);
    }
    bytes.resize(filled);
    return bytes;
}

// The device's own bytes, for volumes udev has not described (or where udev does not run).
std::optional<VolumeSignature> signatureOnDevice(int descriptor, std::int64_t size) {
    const auto head =
        bytesAt(descriptor, 0,
                static_cast<std::size_t>(std::min<std::int64_t>(size, std::int64_t{SignatureLimits::headLength})));
    const auto tailLength = std::min<std::int64_t>(size, std::int64_t{SignatureLimits::tailLength});
    const auto tail = bytesAt(descriptor, size - tailLength, static_cast<std::size_t>(tailLength));
    return volumeSignature(head, tail, size);
}

bool peerCanReadFile(const PeerCredentials& peer, const std::filesystem::path& path) {
    auto canRead = [](const void* argument) {
        int descriptor = ::open(static_cast<const char*>(argument), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (descriptor < 0) return false;
        ::close(descriptor);
        return true;
    };
    return withPeerRights<bool>(peer, canRead, path.c_str()).value_or(false);
}

std::string deviceNumbersOf(const struct stat& status) {
    return std::to_string(major(status.st_rdev)) + ":" + std::to_string(minor(status.st_rdev));
}

std::string labelOf(const DeviceFacts& facts) {
    for (const char* key : {"ID_FS_LABEL", "ID_PART_ENTRY_NAME"}) {
        auto found = facts.udev.find(key);
        if (found != facts.udev.end() && !found->second.empty()) return found->second;
    }
    return {};
}

// The kernel's facts decide: which device this is, what kind, on which bus.
std::optional<std::string> policyRefusal(const struct stat& status, const std::optional<DeviceFacts>& facts) {
    if (!facts || (S_ISBLK(status.st_mode) && facts->deviceNumbers != deviceNumbersOf(status)))
        return DeviceRefusal::unlisted;
    return deviceRefusal(*facts);
}

std::optional<std::string> refusalOf(RawDeviceRange& range, const std::string& identifier,
                                     const std::filesystem::path& devicePath, const RawDeviceSettings& settings,
                                     const PeerCredentials& peer) {
    struct stat status {};
    if (::fstat(range.descriptor(), &status) != 0 || !(S_ISBLK(status.st_mode) || S_ISREG(status.st_mode)))
        return DeviceRefusal::wholeDisk;
    const auto facts = readDeviceFacts(settings.facts, identifier);
    if (auto refusal = policyRefusal(status, facts)) return refusal;
    if (holdsSystemFileSystem(facts->deviceNumbers, devicePath, settings.mountTable))
        return DeviceRefusal::systemFileSystem;
    auto size = sizeOf(range.descriptor(), status);
    if (!size) return std::string("The partition size could not be read: ") + std::strerror(errno) + ".";
    if (auto signature = signatureOnDevice(range.descriptor(), *size)) return signatureRefusal(*signature);
    if (facts->isLoop && !(facts->loopBackingFile && peerCanReadFile(peer, *facts->loopBackingFile)))
        return DeviceRefusal::unreadableBackingFile;
    if (range.offset() + range.length() > *size) return "The partition ended before the requested range could be read.";
    range.device = {labelOf(*facts), *size};
    return std::nullopt;
}

}  // namespace

RawDeviceRange::~RawDeviceRange() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

RawDeviceRange::RawDeviceRange(RawDeviceRange&& other) noexcept
    : device(std::move(other.device)), descriptor_(other.descriptor_), offset_(other.offset_), length_(other.length_) {
    other.descriptor_ = -1;
}

std::variant<RawDeviceRange, std::string> openRawDeviceRange(const RawDeviceSettings& settings,
                                                             const PeerCredentials& peer, const std::string& identifier,
                                                             std::int64_t offset, std::int64_t length) {
    // Device-mapper names are never partition names; say why rather than calling them unexpected.
    if (identifier.starts_with("dm-") && platform::isRawPartitionIdentifier("loop" + identifier.substr(3)))
        return std::string(DeviceRefusal::deviceMapper);
    if (!platform::isRawPartitionIdentifier(identifier))
        return std::string("The read-only recovery helper refused an unexpected raw-device identifier.");
    if (offset < 0 || length < 1 || length > std::int64_t{platform::HelperArchiveLimits::maxDataLength} ||
        offset > INT64_MAX - length)
        return std::string("Invalid raw-device read range.");
    const std::filesystem::path devicePath = settings.deviceFolder / identifier;
    RawDeviceRange range(::open(devicePath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY), offset, length);
    if (range.descriptor() < 0)
        return std::string("The partition ") + identifier + " could not be opened: " + std::strerror(errno) + ".";
    if (auto refusal = refusalOf(range, identifier, devicePath, settings, peer)) return *refusal;
    return range;
}

}  // namespace tidewell::helper
