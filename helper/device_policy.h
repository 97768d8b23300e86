#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tidewell::helper {

// Where the kernel's and udev's facts about block devices are read; settable
// so that tests describe devices in a temporary folder.
struct DeviceFactSources {
    std::filesystem::path sysfsRoot = "/sys";
    std::filesystem::path udevDataRoot = "/run/udev/data";
};

// What the kernel and udev say about one block device.
struct DeviceFacts {
    std::string kernelPath;     // its folder below the sysfs root, links resolved: "/devices/.../sdb/sdb1"
    std::string deviceNumbers;  // "major:minor" as its dev file gives it
    bool isPartition = false;
    bool isDeviceMapper = false;
    bool isLoop = false;
    bool diskIsRemovable = false;  // the disk's removable flag or a port above it marked removable
    std::map<std::string, std::string> udev;
    std::optional<std::filesystem::path> loopBackingFile;
};

enum class VolumeSignature { swap, lvm, raid, luks, bitLocker };

namespace SignatureLimits {
// Enough of the start for a swap header on 64 KiB pages and the RAID
// superblocks at 0 and 4096; enough of the end for RAID 0.90 and 1.0.
inline constexpr std::size_t headLength = 65536;
inline constexpr std::size_t tailLength = 131072;
}  // namespace SignatureLimits

// "E:KEY=value" lines of a udev data file; other lines are ignored.
std::map<std::string, std::string> parseUdevProperties(std::string_view text);

// A device below a USB, MMC/SD, FireWire or Thunderbolt controller.
bool isOnHotPluggableBus(std::string_view kernelPath);

// The signature of a volume that must not be read, from its first bytes and its
// last bytes (tail ends at byte size of the device).
std::optional<VolumeSignature> volumeSignature(std::span<const std::uint8_t> head, std::span<const std::uint8_t> tail,
                                               std::int64_t size);

// The file-system type udev found, as a signature that must not be read.
std::optional<VolumeSignature> udevSignature(const std::map<std::string, std::string>& udev);

std::string signatureRefusal(VolumeSignature signature);

// The facts about the named device, or nothing when the kernel lists no such device.
std::optional<DeviceFacts> readDeviceFacts(const DeviceFactSources& sources, const std::string& identifier);

// Why the device's kind or place rules it out; nothing when it may be read
// (a loop device still needs its backing file checked with the user's rights).
std::optional<std::string> deviceRefusal(const DeviceFacts& facts);

namespace DeviceRefusal {
inline constexpr const char* unlisted = "The read-only recovery helper does not read devices the kernel does not list.";
inline constexpr const char* deviceMapper = "The read-only recovery helper does not read device-mapper devices.";
inline constexpr const char* wholeDisk = "The read-only recovery helper reads partitions only.";
inline constexpr const char* internalDisk =
    "The read-only recovery helper does not read partitions of internal disks, only of removable drives.";
inline constexpr const char* unreadableBackingFile =
    "The read-only recovery helper does not read loop devices whose backing file you cannot read.";
inline constexpr const char* systemFileSystem =
    "The read-only recovery helper does not read partitions that hold a system file system.";
}  // namespace DeviceRefusal

}  // namespace tidewell::helper
