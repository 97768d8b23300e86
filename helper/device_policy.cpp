#include "device_policy.h"

#include <fstream>
#include <iterator>

namespace tidewell::helper {

namespace {

namespace fs = std::filesystem;

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\0')) text.pop_back();
    return text;
}

// A sysfs attribute: one short line of text.
std::string attribute(const fs::path& path) {
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    return trimmed(text);
}

std::string wholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool holds(std::span<const std::uint8_t> bytes, std::int64_t offset, std::string_view literal) {
    if (offset < 0 || static_cast<std::uint64_t>(offset) + literal.size() > bytes.size()) return false;
    for (std::size_t i = 0; i < literal.size(); ++i)
        if (bytes[static_cast<std::size_t>(offset) + i] != static_cast<std::uint8_t>(literal[i])) return false;
    return true;
}

// The RAID superblock magic 0xa92b4efc as stored little-endian.
constexpr std::string_view raidMagic{"\xfc\x4e\x2b\xa9", 4};

bool hasRaidSuperblock(std::span<const std::uint8_t> head, std::span<const std::uint8_t> tail, std::int64_t size) {
    // Versions 1.1 and 1.2 lie at the start and 4 KiB in.
    if (holds(head, 0, raidMagic) || holds(head, 4096, raidMagic)) return true;
    const std::int64_t tailStart = size - static_cast<std::int64_t>(tail.size());
    const std::int64_t sectors = size / 512;
    // Version 1.0: 8 KiB before the end, on a 4 KiB boundary.
    if (sectors >= 16 && holds(tail, ((sectors - 16) & ~std::int64_t{7}) * 512 - tailStart, raidMagic)) return true;
    // Version 0.90: the last whole 64 KiB before the end, on a 64 KiB boundary.
    const std::int64_t legacy = (sectors & ~std::int64_t{127}) * 512 - 65536;
    return legacy >= 0 && holds(tail, legacy - tailStart, raidMagic);
}

// The folder of the device's disk: a partition's parent.
fs::path diskFolder(const fs::path& device, bool isPartition) {
    return isPartition ? device.parent_path() : device;
}

// The disk's own removable flag, or a USB port or Thunderbolt-facing PCI port
// above it that the kernel marks "removable".
bool diskIsRemovable(const fs::path& disk, const fs::path& devicesRoot) {
    if (attribute(disk / "removable") == "1") return true;
    for (fs::path folder = disk.parent_path(); folder.string().size() > devicesRoot.string().size();
         folder = folder.parent_path()) {
        if (attribute(folder / "removable") == "removable") return true;
    }
    return false;
}

}  // namespace

std::map<std::string, std::string> parseUdevProperties(std::string_view text) {
    std::map<std::string, std::string> properties;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.starts_with("E:")) continue;
        line.remove_prefix(2);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0) continue;
        properties.emplace(std::string(line.substr(0, equals)), std::string(line.substr(equals + 1)));
    }
    return properties;
}

bool isOnHotPluggableBus(std::string_view kernelPath) {
    while (!kernelPath.empty()) {
        const std::size_t slash = kernelPath.find('/');
        const std::string_view component = kernelPath.substr(0, slash);
        kernelPath = slash == std::string_view::npos ? std::string_view() : kernelPath.substr(slash + 1);
        // usb1, mmc_host / mmc0:0001, fw1 / fw1.0 and the Thunderbolt domain folders.
        if (component.starts_with("usb") || component.starts_with("mmc") || component.starts_with("thunderbolt"))
            return true;
        if (component.size() > 2 && component.starts_with("fw") && component[2] >= '0' && component[2] <= '9')
            return true;
    }
    return false;
}

std::optional<VolumeSignature> volumeSignature(std::span<const std::uint8_t> head, std::span<const std::uint8_t> tail,
                                               std::int64_t size) {
    if (holds(head, 0, "LUKS\xba\xbe")) return VolumeSignature::luks;
    if (holds(head, 3, "-FVE-FS-")) return VolumeSignature::bitLocker;
    // The swap header ends its first page, whatever the page size was.
    for (std::int64_t page : {4096, 8192, 16384, 32768, 65536})
        if (holds(head, page - 10, "SWAPSPACE2") || holds(head, page - 10, "SWAP-SPACE")) return VolumeSignature::swap;
    for (std::int64_t sector = 0; sector < 4; ++sector)
        if (holds(head, sector * 512, "LABELONE")) return VolumeSignature::lvm;
    if (hasRaidSuperblock(head, tail, size)) return VolumeSignature::raid;
    return std::nullopt;
}

std::optional<VolumeSignature> udevSignature(const std::map<std::string, std::string>& udev) {
    auto type = udev.find("ID_FS_TYPE");
    if (type == udev.end()) return std::nullopt;
    const std::string& name = type->second;
    if (name == "swap") return VolumeSignature::swap;
    if (name == "LVM2_member" || name == "LVM1_member") return VolumeSignature::lvm;
    if (name.ends_with("_raid_member")) return VolumeSignature::raid;
    if (name == "crypto_LUKS") return VolumeSignature::luks;
    if (name == "BitLocker") return VolumeSignature::bitLocker;
    return std::nullopt;
}

std::string signatureRefusal(VolumeSignature signature) {
    switch (signature) {
        case VolumeSignature::swap:
            return "The read-only recovery helper does not read swap space.";
        case VolumeSignature::lvm:
            return "The read-only recovery helper does not read LVM physical volumes.";
        case VolumeSignature::raid:
            return "The read-only recovery helper does not read RAID members.";
        case VolumeSignature::luks:
            return "The read-only recovery helper does not read LUKS encrypted volumes.";
        case VolumeSignature::bitLocker:
            return "The read-only recovery helper does not read BitLocker encrypted volumes.";
    }
    return "The read-only recovery helper does not read this volume.";
}

std::optional<DeviceFacts> readDeviceFacts(const DeviceFactSources& sources, const std::string& identifier) {
    if (identifier.empty() || identifier.find('/') != std::string::npos || identifier.starts_with(".")) return {};
    std::error_code error;
    const fs::path root = fs::canonical(sources.sysfsRoot, error);
    if (error) return std::nullopt;
    const fs::path device = fs::canonical(root / "class/block" / identifier, error);
    const fs::path relative = device.lexically_relative(root);
    if (error || relative.empty() || relative.string().starts_with("..")) return std::nullopt;
    DeviceFacts facts;
    facts.kernelPath = "/" + relative.string();
    facts.deviceNumbers = attribute(device / "dev");
    if (facts.deviceNumbers.empty()) return std::nullopt;
    facts.isPartition = fs::exists(device / "partition", error);
    const fs::path disk = diskFolder(device, facts.isPartition);
    facts.isDeviceMapper =
        identifier.starts_with("dm-") || fs::exists(device / "dm", error) || fs::exists(disk / "dm", error);
    facts.isLoop = fs::is_directory(disk / "loop", error);
    if (facts.isLoop) {
        std::string backing = attribute(disk / "loop/backing_file");
        if (!backing.empty()) facts.loopBackingFile = backing;
    }
    facts.diskIsRemovable = diskIsRemovable(disk, root / "devices");
    facts.udev = parseUdevProperties(wholeFile(sources.udevDataRoot / ("b" + facts.deviceNumbers)));
    return facts;
}

std::optional<std::string> deviceRefusal(const DeviceFacts& facts) {
    if (facts.isDeviceMapper) return DeviceRefusal::deviceMapper;
    if (!facts.isPartition && !facts.isLoop) return DeviceRefusal::wholeDisk;
    if (auto signature = udevSignature(facts.udev)) return signatureRefusal(*signature);
    if (facts.isLoop) return std::nullopt;
    auto bus = facts.udev.find("ID_BUS");
    const bool hotPluggableBus = bus != facts.udev.end() && (bus->second == "usb" || bus->second == "ieee1394");
    if (!facts.diskIsRemovable && !hotPluggableBus && !isOnHotPluggableBus(facts.kernelPath))
        return DeviceRefusal::internalDisk;
    return std::nullopt;
}

}  // namespace tidewell::helper
