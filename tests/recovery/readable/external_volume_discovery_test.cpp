#include <gtest/gtest.h>

#include "platform/disk_information.h"
#include "platform/disk_information_sources.h"
#include "recovery/readable/external_recovery_engine.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using Engine = ExternalRecoveryEngine;
using platform::DiskInfo;
using platform::VolumeResourceValues;
using testing::writeFile;

constexpr const char* stickAnswer = R"({"blockdevices":[{"name":"sdb1","kname":"sdb1","fstype":"vfat","fsver":"FAT32",
  "label":"STICK","size":16000000000,"fsavail":9000000000,"rm":true,"hotplug":true,"tran":null,"ro":false,
  "children":[{"kname":"sdb","rm":true,"hotplug":true,"tran":"usb"}]}]})";
constexpr const char* sataAnswer = R"({"blockdevices":[{"kname":"sda2","fstype":"ext4","size":500000000000,
  "fsavail":100,"rm":false,"hotplug":false,"ro":false,"children":[{"kname":"sda","tran":"sata","rm":false,
  "hotplug":false}]}]})";
constexpr const char* untypedUsbAnswer = R"({"blockdevices":[{"kname":"KNAME","fstype":null,"label":null,
  "size":1000000,"rm":false,"hotplug":true,"tran":"usb","ro":false}]})";

// Mount points are real folders of a temporary tree; mountinfo, sysfs, lsblk
// and blkid are stand-ins with recorded answers.
class ExternalVolumeDiscoveryTest : public ::testing::Test {
protected:
    void SetUp() override {
        addMount("8:17", "sdb1", "STICK", "vfat", stickAnswer, true);
        addMount("8:2", "sda2", "DISK", "ext4", sataAnswer, false);
        addMount("8:33", "sdc1", "backup", "fuseblk", untypedAnswer("sdc1"), false);
        addMount("8:49", "sdd1", "Archive", "fuseblk", untypedAnswer("sdd1"), false);
        addLine("0:52", "FAT", "fuse.fusefat", "/images/card.img");
        addLine("0:53", "SHARE usb", "nfs4", "server:/usb");
        writeFile(folder_ / "mountinfo", mountInfo_);
        writeScript("lsblk",
                    "for a; do last=$a; done\necho \"$@\" > \"$0.args\"\n"
                    "cat \"$(dirname \"$0\")/answers/$(basename \"$last\").json\" 2>/dev/null || exit 32\n");
        writeScript("blkid", "echo exfat\n");
        sources_.mountInfoFile = folder_ / "mountinfo";
        sources_.sysfsRoot = folder_ / "sys";
        sources_.lsblkExecutable = (folder_ / "tools/lsblk").string();
        sources_.blkidExecutable = (folder_ / "tools/blkid").string();
        platform::setDiskInformationSources(sources_);
    }
    void TearDown() override { platform::setDiskInformationSources(platform::DiskInformationSources{}); }

    static std::string untypedAnswer(const std::string& device) {
        std::string answer = untypedUsbAnswer;
        return answer.replace(answer.find("KNAME"), 5, device);
    }
    void addLine(const std::string& number, const std::string& name, const std::string& type,
                 const std::string& source) {
        fs::create_directories(folder_ / name);
        std::string point = (folder_ / name).string();
        for (std::size_t at = point.find(' '); at != std::string::npos; at = point.find(' ', at))
            point.replace(at, 1, "\\040");
        mountInfo_ +=
            std::to_string(++mountID_) + " 1 " + number + " / " + point + " rw - " + type + " " + source + " rw\n";
    }
    void addMount(const std::string& number, const std::string& device, const std::string& name,
                  const std::string& type, const std::string& answer, bool removable) {
        addLine(number, name, type, "/dev/" + device);
        std::string disk = device.substr(0, 3);
        fs::path sysDevice = folder_ / "sys/devices/pci0000:00/0000:00:14.0/host/block" / disk / device;
        fs::create_directories(sysDevice);
        writeFile(sysDevice / "partition", "1");
        writeFile(sysDevice.parent_path() / "removable", removable ? "1" : "0");
        fs::create_directories(folder_ / "sys/class/block");
        fs::create_directories(folder_ / "sys/dev/block");
        fs::create_directory_symlink(sysDevice, folder_ / "sys/class/block" / device);
        fs::create_directory_symlink(sysDevice, folder_ / "sys/dev/block" / number);
        writeFile(folder_ / "tools/answers" / (device + ".json"), answer);
    }
    void writeScript(const std::string& name, const std::string& body) {
        writeFile(folder_ / "tools" / name, "#!/bin/sh\n" + body);
        fs::permissions(folder_ / "tools" / name, fs::perms::owner_all);
    }
    std::vector<std::string> names(const std::vector<ExternalRecoveryVolume>& volumes) {
        std::vector<std::string> result;
        for (const auto& volume : volumes) result.push_back(volume.name);
        return result;
    }

    testing::TemporaryFolder folder_;
    std::string mountInfo_ = "1 0 254:0 / / rw - ext4 /dev/vda rw\n";
    int mountID_ = 1;
    platform::DiskInformationSources sources_;
};

TEST_F(ExternalVolumeDiscoveryTest, ListsRemovableAndHotplugVolumesByName) {
    auto volumes = Engine::mountedExternalVolumes();
    ASSERT_EQ(names(volumes), (std::vector<std::string>{"Archive", "backup", "STICK"}));
    const auto& stick = volumes[2];
    EXPECT_EQ(stick.id, (folder_ / "STICK").string() + "#sdb1");
    EXPECT_EQ(stick.mountURL, folder_ / "STICK");
    EXPECT_EQ(stick.deviceIdentifier, "sdb1");
    EXPECT_EQ(stick.fileSystem, "vfat");
    EXPECT_EQ(stick.totalBytes, 16000000000);
    EXPECT_EQ(stick.availableBytes, 9000000000);
    EXPECT_TRUE(stick.isRemovable);
    EXPECT_FALSE(stick.isReadOnly);
    EXPECT_FALSE(stick.isManuallySelected);
    EXPECT_EQ(stick.sourceDescription(), "vfat \u00B7 " + stick.totalText() + " \u00B7 sdb1");
    // No type from lsblk for the fuseblk mounts: blkid names it.
    EXPECT_EQ(volumes[0].fileSystem, "exfat");
    EXPECT_EQ(testing::readFile(folder_ / "tools/lsblk.args"),
              "--json --bytes --inverse --output NAME,KNAME,PKNAME,FSTYPE,FSVER,LABEL,SIZE,FSAVAIL,RM,HOTPLUG,TRAN,RO,"
              "TYPE /dev/sdd1\n");
}

TEST_F(ExternalVolumeDiscoveryTest, WithoutLsblkOnlyPlatformRemovableVolumesAreListed) {
    sources_.lsblkExecutable = (folder_ / "tools/missing").string();
    platform::setDiskInformationSources(sources_);
    auto volumes = Engine::mountedExternalVolumes();
    ASSERT_EQ(names(volumes), std::vector<std::string>{"STICK"});
    EXPECT_EQ(volumes[0].fileSystem, "Mounted volume");
    EXPECT_FALSE(volumes[0].deviceIdentifier.has_value());
    EXPECT_EQ(volumes[0].id, (folder_ / "STICK").string() + "#manual");
    EXPECT_GT(volumes[0].totalBytes, 0);
}

TEST_F(ExternalVolumeDiscoveryTest, DiskInformationMapsOnlyBlockDevices) {
    DiskInfo stick = Engine::diskInfo(folder_ / "STICK");
    EXPECT_EQ(platform::diskInfoString(stick, "DeviceTreePath"), "/sys/devices/pci0000:00/0000:00:14.0/host");
    EXPECT_EQ(platform::diskInfoString(stick, "DeviceLocation"), "External");
    EXPECT_TRUE(Engine::diskInfo(folder_ / "FAT").empty());
    EXPECT_TRUE(Engine::diskInfo(folder_ / "SHARE usb").empty());
    writeFile(folder_ / "tools/answers/sda2.json", "{ broken");
    EXPECT_TRUE(Engine::diskInfo(folder_ / "DISK").empty());
    fs::remove(folder_ / "tools/answers/sda2.json");
    EXPECT_TRUE(Engine::diskInfo(folder_ / "DISK").empty());
}

TEST_F(ExternalVolumeDiscoveryTest, PicksAnyFolderButNotAFile) {
    fs::create_directories(folder_ / "DISK/home/photos");
    auto picked = Engine::manuallySelectedVolume(folder_ / "DISK/home/./photos/");
    EXPECT_TRUE(picked.isManuallySelected);
    EXPECT_EQ(picked.mountURL, folder_ / "DISK/home/photos");
    EXPECT_EQ(picked.name, "DISK");
    EXPECT_EQ(picked.deviceIdentifier, "sda2");
    EXPECT_FALSE(picked.isRemovable);

    // Nothing known about the device: a picked folder counts as removable.
    auto image = Engine::manuallySelectedVolume(folder_ / "FAT");
    EXPECT_TRUE(image.isRemovable);
    EXPECT_EQ(image.id, (folder_ / "FAT").string() + "#manual");

    writeFile(folder_ / "DISK/file.jpg", "x");
    for (const auto& path : {folder_ / "DISK/file.jpg", folder_ / "missing"}) {
        try {
            Engine::manuallySelectedVolume(path);
            FAIL();
        } catch (const Engine::RecoveryError& error) {
            EXPECT_EQ(error.errorCase(), Engine::RecoveryError::Case::sourceUnavailable);
            EXPECT_STREQ(error.what(), "Choose a mounted folder or drive, not a file.");
        }
    }
}

TEST_F(ExternalVolumeDiscoveryTest, RefreshReadsTheSourceAgain) {
    auto stick = Engine::mountedExternalVolumes().back();
    writeFile(folder_ / "tools/answers/sdb1.json",
              R"({"blockdevices":[{"kname":"sdb1","label":"RENAMED","size":5,"fsavail":4,"rm":true}]})");
    auto refreshed = Engine::refreshedVolume(stick);
    ASSERT_TRUE(refreshed.has_value());
    EXPECT_EQ(refreshed->name, "STICK");
    EXPECT_EQ(refreshed->availableBytes, 4);
    EXPECT_FALSE(refreshed->isManuallySelected);
    fs::remove_all(folder_ / "STICK");
    EXPECT_FALSE(Engine::refreshedVolume(stick).has_value());
}

TEST(ExternalVolumeRulesTest, DecidesExternalVolumesInOrder) {
    VolumeResourceValues none;
    VolumeResourceValues removable;
    removable.volumeIsRemovable = true;
    EXPECT_TRUE(Engine::isExternalVolume(removable, {{"DeviceLocation", std::string("Internal")}}));
    EXPECT_TRUE(Engine::isExternalVolume(none, {{"Ejectable", true}}));
    EXPECT_TRUE(Engine::isExternalVolume(none, {{"RemovableMedia", true}}));
    EXPECT_FALSE(Engine::isExternalVolume(none, {{"RemovableMedia", std::string("true")}}));
    EXPECT_TRUE(Engine::isExternalVolume(none, {{"DeviceLocation", std::string("EXTERNAL bay")}}));
    EXPECT_TRUE(Engine::isExternalVolume(none, {{"Protocol", std::string("USB")}}));
    EXPECT_TRUE(Engine::isExternalVolume(none, {{"BusProtocol", std::string("SDXC Reader")}}));
    EXPECT_FALSE(Engine::isExternalVolume(none, {{"DeviceLocation", std::string("Internal")},
                                                 {"BusProtocol", std::string("PCI-Express")},
                                                 {"Ejectable", false},
                                                 {"RemovableMedia", false}}));
    EXPECT_FALSE(Engine::isExternalVolume(none, {}));
}

TEST(ExternalVolumeRulesTest, BuildsNamesAndFactsWithTheirFallbacks) {
    VolumeResourceValues blank;
    blank.volumeName = "   ";
    blank.volumeTotalCapacity = 100;
    blank.volumeIsReadOnly = true;
    auto labelled = Engine::makeVolume("/media/x/CARD/", blank, DiskInfo{{"VolumeName", std::string("LABEL")}}, false);
    EXPECT_EQ(labelled.name, "LABEL");
    EXPECT_EQ(labelled.totalBytes, 100);
    EXPECT_EQ(labelled.availableBytes, 0);
    EXPECT_TRUE(labelled.isReadOnly);
    EXPECT_FALSE(labelled.isRemovable);
    EXPECT_EQ(labelled.fileSystem, "Mounted volume");
    EXPECT_EQ(labelled.id, "/media/x/CARD#manual");

    auto unnamed = Engine::makeVolume(
        "/media/x/CARD", blank, DiskInfo{{"FilesystemName", std::string("ExFAT")}, {"ReadOnlyVolume", false}}, true);
    EXPECT_EQ(unnamed.name, "CARD");
    EXPECT_EQ(unnamed.fileSystem, "ExFAT");
    EXPECT_FALSE(unnamed.isReadOnly);
    EXPECT_TRUE(unnamed.isRemovable);

    VolumeResourceValues named;
    named.volumeName = " Untitled ";
    EXPECT_EQ(Engine::makeVolume("/media/x/CARD", named, DiskInfo{{"VolumeName", std::string("LABEL")}}, false).name,
              " Untitled ");
}

}  // namespace
}  // namespace tidewell
