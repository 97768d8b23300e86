#include "platform/mounted_volumes.h"

#include <gtest/gtest.h>

#include "platform/disk_information_sources.h"
#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;

MountInfoEntry mount(std::string type, std::string source) {
    MountInfoEntry entry;
    entry.fileSystemType = std::move(type);
    entry.source = std::move(source);
    return entry;
}

TEST(MountedVolumesTest, ClassifiesFileSystems) {
    EXPECT_TRUE(isPseudoFileSystem(mount("proc", "proc")));
    EXPECT_TRUE(isPseudoFileSystem(mount("tmpfs", "tmpfs")));
    EXPECT_TRUE(isPseudoFileSystem(mount("cgroup2", "cgroup2")));
    EXPECT_FALSE(isPseudoFileSystem(mount("vfat", "/dev/sdb1")));
    EXPECT_FALSE(isPseudoFileSystem(mount("fuse.fusefat", "/home/anna/card.img")));

    EXPECT_TRUE(isNetworkFileSystem(mount("nfs4", "fileserver:/export")));
    EXPECT_TRUE(isNetworkFileSystem(mount("cifs", "//nas/usb-backup")));
    EXPECT_TRUE(isNetworkFileSystem(mount("fuse.sshfs", "anna@host:")));
    EXPECT_TRUE(isNetworkFileSystem(mount("fuse.unknown", "host:/photos")));
    EXPECT_FALSE(isNetworkFileSystem(mount("exfat", "/dev/mmcblk0p1")));
    EXPECT_FALSE(isNetworkFileSystem(mount("fuse.fusefat", "/home/anna/a:/b.img")));

    EXPECT_TRUE(isHiddenMountPoint("/home/anna/.cache/doc"));
    EXPECT_TRUE(isHiddenMountPoint("/proc/sys/fs/binfmt_misc"));
    EXPECT_TRUE(isHiddenMountPoint("/sys"));
    EXPECT_TRUE(isHiddenMountPoint("/dev/shm"));
    EXPECT_FALSE(isHiddenMountPoint("/devices"));
    EXPECT_FALSE(isHiddenMountPoint("/run/media/anna/CARD"));
    EXPECT_FALSE(isHiddenMountPoint("/"));
}

// A mount table whose mount points are real folders of a temporary tree, and
// a sysfs stand-in that says the disk behind 8:17 is removable.
class MountedVolumesFixture : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"STICK", ".hidden", "share", "disk", "fat"}) fs::create_directories(folder_ / name);
        std::string root = folder_.path().string();
        testing::writeFile(folder_ / "mountinfo",
                           "1 0 254:0 / / rw - ext4 /dev/vda rw\n"
                           "2 1 0:21 / /proc rw - proc proc rw\n"
                           "3 1 8:17 / " +
                               root +
                               "/STICK rw - vfat /dev/sdb1 rw\n"
                               "4 1 8:18 / " +
                               root +
                               "/.hidden rw - vfat /dev/sdb2 rw\n"
                               "5 1 0:50 / " +
                               root +
                               "/share rw - nfs4 server:/x rw\n"
                               "6 1 8:1 / " +
                               root +
                               "/disk ro - ext4 /dev/sda1 ro\n"
                               "7 1 0:52 / " +
                               root +
                               "/fat rw - fuse.fusefat /images/card.img rw\n"
                               "8 1 8:1 / " +
                               root + "/disk ro - ext4 /dev/sda1 ro\n");
        fs::path sysfs = folder_ / "sys";
        fs::create_directories(sysfs / "devices/usb/block/sdb/sdb1");
        fs::create_directories(sysfs / "devices/ata/block/sda/sda1");
        fs::create_directories(sysfs / "dev/block");
        testing::writeFile(sysfs / "devices/usb/block/sdb/removable", "1\n");
        testing::writeFile(sysfs / "devices/usb/block/sdb/sdb1/partition", "1\n");
        testing::writeFile(sysfs / "devices/ata/block/sda/removable", "0\n");
        testing::writeFile(sysfs / "devices/ata/block/sda/sda1/partition", "1\n");
        fs::create_directory_symlink("../../devices/usb/block/sdb/sdb1", sysfs / "dev/block/8:17");
        fs::create_directory_symlink("../../devices/ata/block/sda/sda1", sysfs / "dev/block/8:1");

        DiskInformationSources sources;
        sources.mountInfoFile = folder_ / "mountinfo";
        sources.sysfsRoot = sysfs;
        setDiskInformationSources(sources);
    }
    void TearDown() override { setDiskInformationSources(DiskInformationSources{}); }

    testing::TemporaryFolder folder_;
};

TEST_F(MountedVolumesFixture, ListsVisibleNonPseudoMountsOnce) {
    std::vector<fs::path> expected{"/", folder_ / "STICK", folder_ / "share", folder_ / "disk", folder_ / "fat"};
    EXPECT_EQ(mountedVolumeURLs(), expected);
}

TEST_F(MountedVolumesFixture, ReadsVolumeValuesOfTheHoldingMount) {
    fs::create_directories(folder_ / "STICK/DCIM");
    auto stick = volumeResourceValues(folder_ / "STICK/DCIM");
    ASSERT_TRUE(stick.has_value());
    EXPECT_EQ(stick->volumeName, "STICK");
    EXPECT_EQ(stick->volumeIsLocal, true);
    EXPECT_EQ(stick->volumeIsRemovable, true);
    EXPECT_GT(stick->volumeTotalCapacity.value_or(0), 0);
    EXPECT_GE(stick->volumeAvailableCapacity.value_or(-1), 0);

    auto disk = volumeResourceValues(folder_ / "disk");
    EXPECT_EQ(disk->volumeIsRemovable, false);
    EXPECT_EQ(volumeResourceValues(folder_ / "share")->volumeIsLocal, false);
    auto image = volumeResourceValues(folder_ / "fat");
    EXPECT_EQ(image->volumeIsLocal, true);
    EXPECT_FALSE(image->volumeIsRemovable.has_value());
    EXPECT_FALSE(volumeResourceValues(folder_ / "missing").has_value());
}

TEST_F(MountedVolumesFixture, AMountTableAlreadyReadIsNotReadAgain) {
    const std::vector<MountInfoEntry> mounts = currentMounts();
    const auto stickMount = mountContaining(mounts, resolvedPath(folder_ / "STICK"));
    const auto before = volumeResourceValues(folder_ / "STICK");
    fs::remove(folder_ / "mountinfo");
    EXPECT_EQ(mountedVolumeURLs(mounts),
              (std::vector<fs::path>{"/", folder_ / "STICK", folder_ / "share", folder_ / "disk", folder_ / "fat"}));
    EXPECT_EQ(volumeResourceValues(folder_ / "STICK", stickMount)->volumeIsRemovable, true);
    EXPECT_EQ(volumeResourceValues(folder_ / "STICK", stickMount)->volumeName, before->volumeName);
    EXPECT_FALSE(volumeResourceValues(folder_ / "STICK", std::nullopt)->volumeName.has_value());
    EXPECT_FALSE(volumeResourceValues(folder_ / "missing", stickMount).has_value());
    EXPECT_TRUE(mountedVolumeURLs().empty());
}

}  // namespace
}  // namespace tidewell::platform
