#include "helper/device_policy.h"

#include <gtest/gtest.h>

#include <vector>

#include "helper/system_mounts.h"

namespace tidewell::helper {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put(Bytes& bytes, std::size_t offset, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) bytes.at(offset + i) = static_cast<std::uint8_t>(text[i]);
}

// The signature check of a whole device held in memory, as the helper slices it.
std::optional<VolumeSignature> signatureOf(const Bytes& device) {
    const std::size_t head = std::min(device.size(), SignatureLimits::headLength);
    const std::size_t tail = std::min(device.size(), SignatureLimits::tailLength);
    return volumeSignature(std::span(device).first(head), std::span(device).last(tail),
                           static_cast<std::int64_t>(device.size()));
}

TEST(RawDevicePolicy, FindsRaidSuperblocksCountedFromTheEndOfTheDevice) {
    const std::string magic = "\xfc\x4e\x2b\xa9";
    // 1 MiB + 3 sectors: the end-based places are rounded down, not at a fixed distance from the end.
    const std::size_t size = (1 << 20) + 3 * 512;
    Bytes version10(size, 0);
    put(version10, ((size / 512 - 16) & ~std::size_t{7}) * 512, magic);
    EXPECT_EQ(signatureOf(version10), VolumeSignature::raid);
    Bytes version090(size, 0);
    put(version090, (size / 512 & ~std::size_t{127}) * 512 - 65536, magic);
    EXPECT_EQ(signatureOf(version090), VolumeSignature::raid);
    Bytes elsewhere(size, 0);
    put(elsewhere, size - 4096, magic);
    EXPECT_EQ(signatureOf(elsewhere), std::nullopt);
    EXPECT_EQ(signatureOf(Bytes(100, 0)), std::nullopt);
    EXPECT_EQ(signatureOf(Bytes()), std::nullopt);
}

TEST(RawDevicePolicy, FindsSwapOnAnyPageSizeAndTheOtherHeaders) {
    Bytes swap(1 << 17, 0);
    put(swap, 65536 - 10, "SWAPSPACE2");
    EXPECT_EQ(signatureOf(swap), VolumeSignature::swap);
    Bytes lvm(1 << 17, 0);
    put(lvm, 3 * 512, "LABELONE");
    EXPECT_EQ(signatureOf(lvm), VolumeSignature::lvm);
    Bytes lvmTooFar(1 << 17, 0);
    put(lvmTooFar, 4 * 512, "LABELONE");
    EXPECT_EQ(signatureOf(lvmTooFar), std::nullopt);
}

TEST(RawDevicePolicy, ReadsUdevRecordsAndFileSystemTypes) {
    auto udev = parseUdevProperties("S:disk/by-id/usb-x\nE:ID_BUS=usb\nE:ID_FS_LABEL=A=B\nE:=x\nE:BROKEN\nI:123");
    EXPECT_EQ(udev, (std::map<std::string, std::string>{{"ID_BUS", "usb"}, {"ID_FS_LABEL", "A=B"}}));
    EXPECT_EQ(udevSignature({{"ID_FS_TYPE", "isw_raid_member"}}), VolumeSignature::raid);
    EXPECT_EQ(udevSignature({{"ID_FS_TYPE", "LVM2_member"}}), VolumeSignature::lvm);
    EXPECT_EQ(udevSignature({{"ID_FS_TYPE", "exfat"}}), std::nullopt);
}

TEST(RawDevicePolicy, TellsHotPluggableBusesFromInternalOnes) {
    EXPECT_TRUE(isOnHotPluggableBus("/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/block/sdb/sdb1"));
    EXPECT_TRUE(isOnHotPluggableBus("/devices/platform/fe320000.mmc/mmc_host/mmc1/mmc1:aaaa/block/mmcblk1"));
    EXPECT_TRUE(isOnHotPluggableBus("/devices/pci0000:00/0000:05:00.0/fw1/fw1.0/host8/block/sdc"));
    EXPECT_FALSE(isOnHotPluggableBus("/devices/pci0000:00/0000:00:17.0/ata1/host0/block/sda/sda1"));
    EXPECT_FALSE(isOnHotPluggableBus("/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1"));
    EXPECT_FALSE(isOnHotPluggableBus("/devices/platform/firmware/block/sdd"));
}

TEST(RawDevicePolicy, SystemPlacesAreTheSystemFoldersAndBelowButNotTheMediaFolders) {
    for (const char* place : {"/", "/boot", "/boot/efi", "/usr", "/var", "/var/lib/docker", "/home", "/home/alice",
                              "/srv", "/opt", "/tmp", "/tmp/x"})
        EXPECT_TRUE(isSystemMountPoint(place)) << place;
    for (const char* place :
         {"/media/alice/CARD", "/run/media/alice/SD", "/mnt/card", "/variable", "/homes", "/media", "/run/media/"})
        EXPECT_FALSE(isSystemMountPoint(place)) << place;
}

}  // namespace
}  // namespace tidewell::helper
