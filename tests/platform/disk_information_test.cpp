#include "platform/disk_information.h"

#include <gtest/gtest.h>

#include "platform/disk_information_sources.h"
#include "platform/lsblk_answer.h"
#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;

struct ToolCall {
    std::string executable;
    std::vector<std::string> arguments;
    double timeout;
};

// A recorded lsblk answer without a file-system type and a blkid that names one.
class DiskInformationTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_ / "CARD");
        testing::writeFile(folder_ / "mountinfo",
                           "1 0 254:0 / / rw - ext4 /dev/vda rw\n2 1 179:1 / " + (folder_ / "CARD").string() +
                               " ro - fuseblk /dev/mmcblk0p1 ro\n3 1 0:9 / " + (folder_ / "CARD/img").string() +
                               " rw - fuse.fusefat x.img rw\n");
        DiskInformationSources sources;
        sources.mountInfoFile = folder_ / "mountinfo";
        sources.sysfsRoot = folder_ / "sys";
        setDiskInformationSources(sources);
    }
    void TearDown() override { setDiskInformationSources(DiskInformationSources{}); }

    DiskToolRunner recorder(std::optional<std::string> lsblk, std::optional<std::string> blkid) {
        return [this, lsblk, blkid](const std::string& executable, const std::vector<std::string>& arguments,
                                    double timeout) {
            calls_.push_back({executable, arguments, timeout});
            return executable.ends_with("lsblk") ? lsblk : blkid;
        };
    }

    testing::TemporaryFolder folder_;
    std::vector<ToolCall> calls_;
};

TEST_F(DiskInformationTest, AsksLsblkAboutTheMountedDeviceThenBlkidForItsType) {
    std::string answer = R"({"blockdevices":[{"kname":"mmcblk0p1","fstype":null,"hotplug":true,"ro":false}]})";
    auto info = diskInformation(folder_ / "CARD/DCIM/../DCIM", recorder(answer, std::string("exfat\n")));
    EXPECT_EQ(diskInfoString(info, "DeviceIdentifier"), "mmcblk0p1");
    EXPECT_EQ(diskInfoString(info, "FilesystemType"), "exfat");
    EXPECT_EQ(diskInfoBool(info, "ReadOnlyVolume"), true);
    ASSERT_EQ(calls_.size(), 2u);
    EXPECT_EQ(calls_[0].executable, "/usr/bin/lsblk");
    EXPECT_EQ(calls_[0].arguments,
              (std::vector<std::string>{"--json", "--bytes", "--inverse", "--output", lsblkColumns, "/dev/mmcblk0p1"}));
    EXPECT_EQ(calls_[0].timeout, 20);
    EXPECT_EQ(calls_[1].executable, "/usr/sbin/blkid");
    EXPECT_EQ(calls_[1].arguments, (std::vector<std::string>{"-p", "-o", "value", "-s", "TYPE", "/dev/mmcblk0p1"}));
}

TEST_F(DiskInformationTest, GivesTheEmptyDictionaryWithoutADeviceOrAnAnswer) {
    EXPECT_TRUE(diskInformation(folder_ / "CARD", recorder(std::nullopt, std::nullopt)).empty());
    EXPECT_TRUE(diskInformation(folder_ / "CARD", recorder(std::string("{}"), std::nullopt)).empty());
    calls_.clear();
    EXPECT_TRUE(diskInformation(folder_ / "CARD/img/a", recorder(std::string("{}"), std::nullopt)).empty());
    EXPECT_TRUE(calls_.empty());
}

TEST_F(DiskInformationTest, AMountAlreadyFoundIsNotLookedUpAgain) {
    const auto mount = mountContaining(currentMounts(), resolvedPath(folder_ / "CARD"));
    ASSERT_TRUE(mount.has_value());
    fs::remove(folder_ / "mountinfo");
    std::string answer = R"({"blockdevices":[{"kname":"mmcblk0p1","fstype":"exfat","hotplug":true}]})";
    auto info = diskInformation(*mount, recorder(answer, std::nullopt));
    EXPECT_EQ(diskInfoString(info, "DeviceIdentifier"), "mmcblk0p1");
    EXPECT_EQ(diskInfoBool(info, "ReadOnlyVolume"), true);
    ASSERT_EQ(calls_.size(), 1u);
    EXPECT_TRUE(diskInformation(folder_ / "CARD", recorder(answer, std::nullopt)).empty());
}

}  // namespace
}  // namespace tidewell::platform
