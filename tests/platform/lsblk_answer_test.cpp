#include "platform/lsblk_answer.h"

#include <gtest/gtest.h>

namespace tidewell::platform {
namespace {

// Recorded `lsblk --json --bytes --inverse --output ...` answers.
constexpr const char* usbStickAnswer = R"({
   "blockdevices": [
      {"name":"sdb1", "kname":"sdb1", "pkname":"sdb", "fstype":"vfat", "fsver":"FAT32", "label":"STICK",
       "size":15728640000, "fsavail":9437184000, "rm":true, "hotplug":true, "tran":null, "ro":false, "type":"part",
         "children": [
            {"name":"sdb", "kname":"sdb", "pkname":null, "fstype":null, "fsver":null, "label":null,
             "size":15728640512, "fsavail":null, "rm":true, "hotplug":true, "tran":"usb", "ro":false, "type":"disk"}
         ]
      }
   ]
})";

constexpr const char* sataDiskAnswer = R"({"blockdevices":[
  {"name":"sda2","kname":"sda2","pkname":"sda","fstype":"ext4","fsver":"1.0","label":null,"size":499570991104,
   "fsavail":120000000000,"rm":false,"hotplug":false,"tran":null,"ro":false,"type":"part",
   "children":[{"name":"sda","kname":"sda","pkname":null,"fstype":null,"fsver":null,"label":null,
     "size":500107862016,"fsavail":null,"rm":false,"hotplug":false,"tran":"sata","ro":false,"type":"disk"}]}]})";

constexpr const char* sdCardAnswer = R"({"blockdevices":[
  {"name":"mmcblk0p1","kname":"mmcblk0p1","pkname":"mmcblk0","fstype":"exfat","fsver":"1.0","label":"CARD",
   "size":63864569856,"fsavail":1000,"rm":false,"hotplug":true,"tran":null,"ro":false,"type":"part",
   "children":[{"name":"mmcblk0","kname":"mmcblk0","size":63864569856,"rm":false,"hotplug":true,"tran":"mmc",
     "ro":false,"type":"disk"}]}]})";

constexpr const char* nvmeAnswer = R"({"blockdevices":[
  {"name":"nvme0n1p2","kname":"nvme0n1p2","fstype":"ext4","label":null,"size":1023000000000,"fsavail":5,
   "rm":false,"hotplug":false,"tran":"nvme","ro":false,"type":"part",
   "children":[{"name":"nvme0n1","kname":"nvme0n1","rm":false,"hotplug":false,"tran":"nvme","type":"disk"}]}]})";

// util-linux before 2.33 printed every value as a string.
constexpr const char* olderStringAnswer = R"({"blockdevices":[
  {"name":"sdc1","kname":"sdc1","fstype":"exfat","label":"Passport","size":"2000398934016","fsavail":null,
   "rm":"0","hotplug":"1","tran":"usb","ro":"1","type":"part"}]})";

LsblkContext context(std::string device, std::optional<std::string> sysfs = std::nullopt) {
    return LsblkContext{std::move(device), std::move(sysfs), false, ""};
}

TEST(LsblkAnswerTest, MapsAUsbStickOntoTheDiskUtilityKeys) {
    auto info = diskInfoFromLsblkAnswer(
        usbStickAnswer,
        context("sdb1",
                "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb/sdb1"));
    EXPECT_EQ(diskInfoString(info, "DeviceIdentifier"), "sdb1");
    EXPECT_EQ(diskInfoString(info, "FilesystemType"), "vfat");
    EXPECT_EQ(diskInfoString(info, "FilesystemName"), "vfat FAT32");
    EXPECT_EQ(diskInfoString(info, "VolumeName"), "STICK");
    EXPECT_EQ(diskInfoNumber(info, "TotalSize"), 15728640000);
    EXPECT_EQ(diskInfoNumber(info, "VolumeFreeSpace"), 9437184000);
    EXPECT_EQ(diskInfoBool(info, "RemovableMedia"), true);
    EXPECT_EQ(diskInfoBool(info, "Ejectable"), true);
    EXPECT_EQ(diskInfoString(info, "BusProtocol"), "usb");
    EXPECT_EQ(diskInfoString(info, "DeviceLocation"), "External");
    EXPECT_EQ(diskInfoString(info, "DeviceTreePath"),
              "/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0");
    EXPECT_EQ(diskInfoBool(info, "ReadOnlyVolume"), false);
}

TEST(LsblkAnswerTest, ASataDiskIsInternalAndItsTreePathDoesNotEndInItsName) {
    auto info = diskInfoFromLsblkAnswer(
        sataDiskAnswer,
        context("sda2", "/sys/devices/pci0000:00/0000:00:17.0/ata3/host2/target2:0:0/2:0:0:0/block/sda/sda2"));
    EXPECT_EQ(diskInfoString(info, "DeviceLocation"), "Internal");
    EXPECT_EQ(diskInfoBool(info, "Ejectable"), false);
    EXPECT_EQ(diskInfoBool(info, "RemovableMedia"), false);
    EXPECT_EQ(diskInfoString(info, "BusProtocol"), "sata");
    EXPECT_EQ(diskInfoString(info, "DeviceTreePath"),
              "/sys/devices/pci0000:00/0000:00:17.0/ata3/host2/target2:0:0/2:0:0:0");
    EXPECT_FALSE(info.contains("VolumeName"));
}

TEST(LsblkAnswerTest, AnSdCardAndAnNvmeDisk) {
    auto card = diskInfoFromLsblkAnswer(
        sdCardAnswer,
        context("mmcblk0p1", "/sys/devices/platform/soc/fe340000.mmc/mmc_host/mmc0/mmc0:aaaa/block/mmcblk0/mmcblk0p1"));
    EXPECT_EQ(diskInfoString(card, "DeviceLocation"), "External");
    EXPECT_EQ(diskInfoString(card, "BusProtocol"), "mmc");
    EXPECT_EQ(diskInfoString(card, "DeviceTreePath"), "/sys/devices/platform/soc/fe340000.mmc/mmc_host/mmc0/mmc0:aaaa");

    auto nvme = diskInfoFromLsblkAnswer(
        nvmeAnswer,
        context("nvme0n1p2", "/sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1/nvme0n1p2"));
    EXPECT_EQ(diskInfoString(nvme, "DeviceLocation"), "Internal");
    EXPECT_EQ(diskInfoString(nvme, "DeviceTreePath"), "/sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0");
    EXPECT_EQ(diskInfoString(nvme, "FilesystemName"), "ext4");
}

TEST(LsblkAnswerTest, ReadsOlderStringValuesAndTheMountFlags) {
    LsblkContext fuse{"sdc1", std::nullopt, false, "fuseblk"};
    auto info = diskInfoFromLsblkAnswer(olderStringAnswer, fuse);
    EXPECT_EQ(diskInfoNumber(info, "TotalSize"), 2000398934016);
    EXPECT_EQ(diskInfoBool(info, "RemovableMedia"), false);
    EXPECT_EQ(diskInfoBool(info, "Ejectable"), true);
    EXPECT_EQ(diskInfoBool(info, "ReadOnlyVolume"), true);
    EXPECT_FALSE(info.contains("VolumeFreeSpace"));
    EXPECT_FALSE(info.contains("DeviceTreePath"));

    // Without udev lsblk names no type; the kernel's mount type stands in, but
    // never a FUSE wrapper name.
    LsblkContext mounted{"sda2", std::nullopt, true, "ext4"};
    std::string untyped = R"({"blockdevices":[{"kname":"sda2","fstype":null,"ro":false}]})";
    auto typed = diskInfoFromLsblkAnswer(untyped, mounted);
    EXPECT_EQ(diskInfoString(typed, "FilesystemType"), "ext4");
    EXPECT_EQ(diskInfoBool(typed, "ReadOnlyVolume"), true);
    EXPECT_FALSE(diskInfoFromLsblkAnswer(untyped, LsblkContext{"sda2", std::nullopt, false, "fuseblk"})
                     .contains("FilesystemType"));
}

TEST(LsblkAnswerTest, UnusableAnswersGiveTheEmptyDictionary) {
    EXPECT_TRUE(diskInfoFromLsblkAnswer("", context("sdb1")).empty());
    EXPECT_TRUE(diskInfoFromLsblkAnswer("not json", context("sdb1")).empty());
    EXPECT_TRUE(diskInfoFromLsblkAnswer("[1,2]", context("sdb1")).empty());
    EXPECT_TRUE(diskInfoFromLsblkAnswer(R"({"blockdevices":{}})", context("sdb1")).empty());
    EXPECT_TRUE(diskInfoFromLsblkAnswer(usbStickAnswer, context("sdz9")).empty());
    auto wrongTypes = diskInfoFromLsblkAnswer(
        R"({"blockdevices":[{"kname":"sdb1","size":true,"rm":"maybe","label":7,"tran":["usb"]}]})", context("sdb1"));
    EXPECT_EQ(diskInfoString(wrongTypes, "DeviceIdentifier"), "sdb1");
    EXPECT_FALSE(wrongTypes.contains("TotalSize"));
    EXPECT_FALSE(wrongTypes.contains("RemovableMedia"));
    EXPECT_FALSE(wrongTypes.contains("VolumeName"));
    EXPECT_FALSE(wrongTypes.contains("BusProtocol"));
    auto beyondInt64 = diskInfoFromLsblkAnswer(
        R"({"blockdevices":[{"kname":"sdb1","size":18446744073709551615,"fsavail":9223372036854775807}]})",
        context("sdb1"));
    EXPECT_FALSE(beyondInt64.contains("TotalSize"));
    EXPECT_EQ(diskInfoNumber(beyondInt64, "VolumeFreeSpace"), INT64_MAX);
}

TEST(LsblkAnswerTest, TreePathDropsOnlyTheTrailingDeviceNames) {
    EXPECT_EQ(deviceTreePath("/sys/devices/virtual/block/loop0", {"loop0"}), "/sys/devices/virtual");
    EXPECT_EQ(deviceTreePath("/sys/devices/pci0000:00/0000:00:02.0/virtio1/block/vda/", {"vda"}),
              "/sys/devices/pci0000:00/0000:00:02.0/virtio1");
    EXPECT_EQ(deviceTreePath("/sys/devices/sda/x", {"sda"}), "/sys/devices/sda/x");
    EXPECT_FALSE(deviceTreePath("block/sda", {"sda"}).has_value());
    EXPECT_FALSE(deviceTreePath("", {}).has_value());
}

TEST(DiskInfoDictionaryTest, AValueOfAnotherTypeCountsAsAbsent) {
    DiskInfo info{{"Ejectable", std::string("yes")}, {"TotalSize", true}, {"VolumeName", std::int64_t{3}}};
    EXPECT_FALSE(diskInfoBool(info, "Ejectable"));
    EXPECT_FALSE(diskInfoNumber(info, "TotalSize"));
    EXPECT_FALSE(diskInfoString(info, "VolumeName"));
    EXPECT_FALSE(diskInfoString(info, "Missing"));
}

}  // namespace
}  // namespace tidewell::platform
