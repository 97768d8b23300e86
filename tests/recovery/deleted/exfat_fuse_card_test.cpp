#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "recovery/deleted/fat32_image_fixture.h"

namespace tidewell::ExFATDeletedRecoveryEngine {
namespace {

// An exFAT image made by mkfs.exfat and filled through the FUSE driver on a
// loop device; unmounted and detached again whatever the test does.
class FuseMountedCard {
public:
    explicit FuseMountedCard(const std::filesystem::path& image) : mountPoint_(folder_ / "mounted") {
        std::filesystem::create_directories(mountPoint_);
        std::string device;
        if (testing::runTool("losetup", {"-f", "--show", image.string()}, &device) != 0) return;
        device_ = device.substr(0, device.find_first_of("\r\n"));
        mounted_ = testing::runTool("mount.exfat-fuse", {device_, mountPoint_.string()}) == 0;
    }
    ~FuseMountedCard() {
        unmount();
        if (!device_.empty()) testing::runTool("losetup", {"-d", device_});
    }
    FuseMountedCard(const FuseMountedCard&) = delete;
    FuseMountedCard& operator=(const FuseMountedCard&) = delete;

    bool mounted() const { return mounted_; }
    const std::filesystem::path& path() const { return mountPoint_; }
    bool unmount() {
        if (mounted_ && testing::runTool("umount", {mountPoint_.string()}) == 0) mounted_ = false;
        return !mounted_;
    }

private:
    testing::TemporaryFolder folder_;
    std::filesystem::path mountPoint_;
    std::string device_;
    bool mounted_ = false;
};

std::string fuseUnavailableReason() {
    if (::geteuid() != 0) return "attaching a loop device needs root";
    if (!std::filesystem::exists("/dev/loop-control")) return "no loop devices";
    if (!std::filesystem::exists("/dev/fuse")) return "no FUSE device";
    if (!testing::haveTool("mount.exfat-fuse")) return "the exFAT FUSE driver is not installed";
    return {};
}

// The stream-extension entry of the entry set whose name entry spells
// `name`: {entry type, general flags}.
std::pair<int, int> streamEntryOf(const std::vector<std::uint8_t>& image, const std::string& name) {
    std::vector<std::uint8_t> spelled;
    for (char c : name) spelled.insert(spelled.end(), {static_cast<std::uint8_t>(c), 0});
    auto at = std::search(image.begin(), image.end(), spelled.begin(), spelled.end());
    if (at == image.end() || at - image.begin() < 34) return {-1, -1};
    auto stream = static_cast<std::size_t>(at - image.begin()) - 2 - 32;
    return {image[stream], image[stream + 1]};
}

TEST(ExFATFuseCard, TheDriversDeletedEntryCarriesTheNoChainFlagAndIsRecovered) {
    if (auto reason = fuseUnavailableReason(); !reason.empty()) GTEST_SKIP() << reason;
    testing::TemporaryFolder folder;
    auto image = folder / "card.img";
    std::ofstream(image).close();
    std::filesystem::resize_file(image, 32 * 1024 * 1024);
    ASSERT_EQ(testing::runTool("mkfs.exfat", {image.string()}), 0);
    auto jpeg = testing::SampleFiles::image("jpg", "64x48");
    {
        FuseMountedCard card(image);
        if (!card.mounted()) GTEST_SKIP() << "the exFAT FUSE driver could not mount a loop device here";
        auto write = [&](const std::string& name) {
            std::ofstream(card.path() / name, std::ios::binary)
                .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
        };
        write("IMG_0001.JPG");
        write("IMG_0002.JPG");
        ::sync();
        std::filesystem::remove(card.path() / "IMG_0001.JPG");
        ASSERT_TRUE(card.unmount());
    }
    // Deleted stream extension (0x40) with "allocation possible" and "no FAT chain".
    EXPECT_EQ(streamEntryOf(testing::fileBytes(image), "IMG_0001.JPG"), std::make_pair(0x40, 0x03));

    auto [candidates, report] = scanImage(image);
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0].name, "IMG_0001.JPG");
    testing::TemporaryFolder destination;
    ASSERT_EQ(exportImage(candidates, image, "exFAT image", destination.path()).size(), 1u);
    EXPECT_EQ(testing::fileBytes(destination / "Tidewell-Deleted-Recovery-exFAT image" / "IMG_0001.JPG"), jpeg);
}

}  // namespace
}  // namespace tidewell::ExFATDeletedRecoveryEngine
