#include "platform/mount_info.h"

#include <gtest/gtest.h>

#include "platform/disk_information_sources.h"
#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

// Captured from a desktop with a USB stick, an SD card, a FUSE-mounted FAT
// image, an NTFS disk through fuseblk and a network share.
constexpr const char* capturedMountInfo =
    "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw,errors=remount-ro\n"
    "25 22 0:23 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw\n"
    "30 22 8:17 / /media/anna/USB\\040STICK rw,nosuid,nodev,relatime shared:250 - vfat /dev/sdb1 "
    "rw,fmask=0022,dmask=0022,codepage=437\n"
    "31 22 0:52 / /media/anna/FAT rw,nosuid,nodev,relatime - fuse.fusefat /home/anna/card.img rw,user_id=0\n"
    "32 22 0:53 / /mnt/share rw,relatime shared:270 - nfs4 fileserver:/export/photos rw,vers=4.2\n"
    "33 22 179:1 / /media/anna/CARD ro,nosuid,nodev,relatime shared:280 master:3 - exfat /dev/mmcblk0p1 ro\n"
    "34 22 0:60 / /media/anna/Passport rw,relatime - fuseblk /dev/sdc1 rw,user_id=0,allow_other\n"
    "this line is not a mount\n"
    "35 22 8:x / /broken rw - ext4 /dev/sda3 rw\n";

TEST(MountInfoTest, ParsesFieldsAroundTheOptionalTags) {
    auto entries = parseMountInfo(capturedMountInfo);
    ASSERT_EQ(entries.size(), 7u);
    const auto& stick = entries[2];
    EXPECT_EQ(stick.mountID, 30);
    EXPECT_EQ(stick.parentID, 22);
    EXPECT_EQ(stick.deviceMajor, 8u);
    EXPECT_EQ(stick.deviceMinor, 17u);
    EXPECT_EQ(stick.mountPoint, "/media/anna/USB STICK");
    EXPECT_EQ(stick.fileSystemType, "vfat");
    EXPECT_EQ(stick.source, "/dev/sdb1");
    EXPECT_FALSE(stick.isReadOnlyMount());

    const auto& card = entries[5];
    EXPECT_EQ(card.fileSystemType, "exfat");
    EXPECT_EQ(card.source, "/dev/mmcblk0p1");
    EXPECT_TRUE(card.isReadOnlyMount());

    EXPECT_EQ(entries[3].fileSystemType, "fuse.fusefat");
    EXPECT_EQ(entries[3].source, "/home/anna/card.img");
    EXPECT_EQ(entries[3].deviceMajor, 0u);
}

TEST(MountInfoTest, DecodesEscapesAndKeepsIncompleteOnes) {
    auto entries = parseMountInfo("40 1 8:1 / /a\\011b\\134c\\04 rw - ext4 /dev/sda1 rw");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mountPoint, "/a\tb\\c\\04");
    EXPECT_TRUE(parseMountInfo("").empty());
    EXPECT_TRUE(parseMountInfo("1 2 3:4 / /x rw -").empty());
    EXPECT_TRUE(parseMountInfo("1 2 3:4 / relative rw - ext4 /dev/x rw").empty());
}

TEST(MountInfoTest, FindsTheInnermostMountHoldingAPath) {
    auto entries = parseMountInfo(capturedMountInfo);
    EXPECT_EQ(mountContaining(entries, "/media/anna/USB STICK/DCIM/a.jpg")->source, "/dev/sdb1");
    EXPECT_EQ(mountContaining(entries, "/media/anna/USB STICK")->source, "/dev/sdb1");
    EXPECT_EQ(mountContaining(entries, "/media/anna/USB STICKER")->source, "/dev/sda2");
    EXPECT_EQ(mountContaining(entries, "/home/anna")->mountPoint, "/");
    EXPECT_FALSE(mountContaining({}, "/home").has_value());

    // A later mount on the same point hides the earlier one.
    auto stacked = parseMountInfo(
        "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n2 1 8:2 / /m rw - ext4 /dev/sda2 rw\n3 1 8:3 / /m rw - ext4 /dev/sda3 rw");
    EXPECT_EQ(mountContaining(stacked, "/m/x")->source, "/dev/sda3");
}

TEST(MountInfoTest, ReadsTheConfiguredFile) {
    testing::TemporaryFolder folder;
    testing::writeFile(folder / "mountinfo", capturedMountInfo);
    DiskInformationSources sources;
    sources.mountInfoFile = folder / "mountinfo";
    ScopedDiskInformationSources scoped(sources);
    EXPECT_EQ(currentMounts().size(), 7u);

    sources.mountInfoFile = folder / "missing";
    setDiskInformationSources(sources);
    EXPECT_TRUE(currentMounts().empty());
}

TEST(MountInfoTest, ResolvesLinksAndDotSegments) {
    testing::TemporaryFolder folder;
    std::filesystem::create_directories(folder / "real/inner");
    std::filesystem::create_directory_symlink(folder / "real", folder / "link");
    auto real = std::filesystem::canonical(folder / "real");
    EXPECT_EQ(resolvedPath(folder / "link/inner/"), real / "inner");
    EXPECT_EQ(resolvedPath(folder / "link/./inner/../missing/x"), real / "missing/x");
}

}  // namespace
}  // namespace tidewell::platform
