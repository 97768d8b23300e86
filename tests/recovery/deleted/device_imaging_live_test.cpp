#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>

#include "platform/block_device_geometry.h"
#include "recovery/deleted/device_imaging.h"
#include "recovery/deleted/privileged_device_reader.h"
#include "recovery/deleted/privileged_disk_reader.h"
#include "support/raw_helper_process.h"
#include "support/temporary_folder.h"
#include "support/thrown_message.h"

namespace tidewell::DeviceImaging {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;

constexpr std::int64_t MiB = 1 << 20;

void writePattern(const fs::path& file, std::int64_t size) {
    std::ofstream stream(file, std::ios::binary);
    std::vector<char> block(MiB);
    std::uint32_t state = 7;
    for (std::int64_t done = 0; done < size; done += MiB) {
        for (char& byte : block) byte = static_cast<char>((state = state * 1664525 + 1013904223) >> 24);
        stream.write(block.data(), MiB);
    }
}

// A read-only loop device over a patterned backing file, detached when the object goes.
class LoopDevice {
public:
    LoopDevice(const fs::path& backing, std::int64_t size) {
        writePattern(backing, size);
        std::string output;
        if (::geteuid() != 0 || testing::runTool("losetup", {"-f", "--show", "-r", backing.string()}, &output) != 0)
            return;
        path_ = output.substr(0, output.find('\n'));
    }
    ~LoopDevice() {
        if (!path_.empty()) testing::runTool("losetup", {"-d", path_});
    }
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;

    bool attached() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string kernelName() const { return fs::path(path_).filename().string(); }

private:
    std::string path_;
};

bool sameBytes(const fs::path& first, const fs::path& second) {
    return testing::runTool("cmp", {first.string(), second.string()}) == 0;
}

// The real helper on a real socket reads the loop device from /dev, as it reads a card.
class LiveDeviceImaging : public ::testing::Test {
protected:
    void SetUp() override {
        PrivilegedDiskReader::resetInstallationState();
        if (!loop.attached()) GTEST_SKIP() << "losetup needs root and loop devices, which this machine does not give";
    }
    void TearDown() override { PrivilegedDiskReader::resetInstallationState(); }

    TemporaryFolder folder;
    LoopDevice loop{folder / "card.bin", 256 * MiB};
    testing::ScopedEnvironment socketSetting{"TIDEWELL_HELPER_SOCKET", (folder / "helper.sock").string()};
    testing::ScopedEnvironment pkexecSetting{"TIDEWELL_PKEXEC", (folder / "no-pkexec").string()};
    testing::RawHelperProcess helper{folder / "helper.sock", "/dev"};
};

TEST_F(LiveDeviceImaging, AnImageThroughTheHelperIsByteIdenticalToTheDevice) {
    const Result result = imagePartition(loop.kernelName(), "CARD", std::nullopt, folder / "card.img", false);
    EXPECT_TRUE(result.isComplete());
    EXPECT_EQ(result.copiedBytes, 256 * MiB);
    EXPECT_TRUE(sameBytes(folder / "card.img", loop.path()));
    EXPECT_EQ(testing::readFile(mapPath(folder / "card.img")),
              "# Tidewell disk image map\n# source: CARD\n# size: 268435456\n# sector: 512\n0 268435456 copied\n");
}

TEST_F(LiveDeviceImaging, ACancelledImageResumesToTheSameBytes) {
    RecoveryCancellationToken token;
    const auto cancelAfter96MiB = [&](double fraction, const std::string&) {
        if (fraction * 256 >= 96) token.cancel();
    };
    EXPECT_EQ(testing::thrownMessage([&] {
                  imagePartition(loop.kernelName(), "CARD", std::nullopt, folder / "card.img", false, &token,
                                 cancelAfter96MiB);
              }),
              "Disk imaging cancelled.");
    const auto saved = ImageMap::parse(testing::readFile(mapPath(folder / "card.img")));
    ASSERT_TRUE(saved.has_value());
    EXPECT_GE(saved->bytesWith(RangeStatus::copied), 96 * MiB);
    EXPECT_GT(saved->bytesWith(RangeStatus::pending), 0);

    EXPECT_TRUE(imagePartition(loop.kernelName(), "CARD", std::nullopt, folder / "card.img", true).isComplete());
    EXPECT_TRUE(sameBytes(folder / "card.img", loop.path()));
}

// A device with real unreadable sectors: the device mapper's error target between two linear
// pieces of the loop device. Its node is made under a loop name in the helper's device folder,
// as the helper serves partitions and loop devices only.
class DeviceMapperHoles {
public:
    DeviceMapperHoles(const std::string& loopPath, std::int64_t sectors, std::int64_t holeStart,
                      std::int64_t holeSectors) {
        const std::string table = "0 " + std::to_string(holeStart) + " linear " + loopPath + " 0\n" +
                                  std::to_string(holeStart) + " " + std::to_string(holeSectors) + " error\n" +
                                  std::to_string(holeStart + holeSectors) + " " +
                                  std::to_string(sectors - holeStart - holeSectors) + " linear " + loopPath + " " +
                                  std::to_string(holeStart + holeSectors) + "\n";
        const fs::path tableFile = fs::temp_directory_path() / (name_ + ".table");
        testing::writeFile(tableFile, table);
        created_ = testing::runTool("dmsetup", {"create", name_, tableFile.string()}) == 0;
        fs::remove(tableFile);
    }
    ~DeviceMapperHoles() {
        if (created_) testing::runTool("dmsetup", {"remove", name_});
    }
    DeviceMapperHoles(const DeviceMapperHoles&) = delete;
    DeviceMapperHoles& operator=(const DeviceMapperHoles&) = delete;

    bool created() const { return created_; }
    fs::path path() const { return "/dev/mapper/" + name_; }

private:
    std::string name_ = "tidewell-holes-" + std::to_string(::getpid());
    bool created_ = false;
};

TEST_F(LiveDeviceImaging, UnreadableSectorsOfARealDeviceAreZerosAndListedInTheMap) {
    if (!testing::haveTool("dmsetup")) GTEST_SKIP() << "dmsetup is not installed";
    // Without the driver dmsetup only leaves a dead control node behind in /dev.
    if (!fs::exists("/sys/module/dm_mod") && !fs::exists("/sys/class/misc/device-mapper"))
        GTEST_SKIP() << "the kernel here has no device mapper (no /sys/module/dm_mod), so no device with "
                        "unreadable sectors can be made";
    const std::int64_t holeStart = 100 * 2048 + 24, holeSectors = 40;  // in 512-byte sectors
    DeviceMapperHoles holes(loop.path(), 256 * 2048, holeStart, holeSectors);
    if (!holes.created())
        GTEST_SKIP() << "the kernel here has no device mapper (dmsetup create failed), so no device with "
                        "unreadable sectors can be made";
    struct stat status {};
    ASSERT_EQ(::stat(holes.path().c_str(), &status), 0);
    fs::create_directories(folder / "dev");
    ASSERT_EQ(::mknod((folder / "dev/loop4094").c_str(), S_IFBLK | 0600, status.st_rdev), 0);
    testing::RawHelperProcess holesHelper(folder / "holes.sock", folder / "dev");
    testing::ScopedEnvironment holesSocket("TIDEWELL_HELPER_SOCKET", (folder / "holes.sock").string());

    const PrivilegedDeviceReader reader("loop4094");
    const Result result = makeImage({&reader, "HOLES", 256 * MiB, 512, {}, std::nullopt}, folder / "holes.img", false);
    const std::vector<MapRange> bad{{holeStart * 512, holeSectors * 512, RangeStatus::unreadable}};
    EXPECT_EQ(result.unreadable, bad);
    std::string expected = testing::readFile(folder / "card.bin");
    std::fill_n(expected.begin() + holeStart * 512, holeSectors * 512, '\0');
    EXPECT_TRUE(testing::readFile(folder / "holes.img") == expected);
}

}  // namespace
}  // namespace tidewell::DeviceImaging
