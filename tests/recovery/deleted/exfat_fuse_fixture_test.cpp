#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <vector>

#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "recovery/deleted/fat32_image_fixture.h"
#include "support/redirected_tool.h"

namespace tidewell::ExFATDeletedRecoveryEngine {
namespace {

namespace fs = std::filesystem;

int runLogged(const std::string& program, const std::vector<std::string>& arguments, const fs::path& log) {
    return testing::runToolRedirected(program, arguments, "/dev/null", log);
}

bool fuseDeviceOpens() {
    int descriptor = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (descriptor < 0) return false;
    ::close(descriptor);
    return true;
}

// An image mounted through the exFAT FUSE driver, unmounted (and its loop
// device released) on destruction at the latest.
class FuseMount {
public:
    FuseMount(const std::string& driver, const fs::path& image, const fs::path& mountPoint, const fs::path& log)
        : mountPoint_(mountPoint), log_(log) {
        if (runLogged(driver, {image.string(), mountPoint.string()}, log) == 0) {
            mounted_ = true;
            return;
        }
        failure_ = testing::readFile(log);
        // Run as root, the driver mounts block devices only: offer the image as one.
        if (!testing::haveTool("losetup") || runLogged("losetup", {"-f", "--show", image.string()}, log) != 0) return;
        device_ = testing::readFile(log);
        while (!device_.empty() && std::isspace(static_cast<unsigned char>(device_.back()))) device_.pop_back();
        if (runLogged(driver, {device_, mountPoint.string()}, log) == 0)
            mounted_ = true;
        else
            failure_ += testing::readFile(log);
    }
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;
    ~FuseMount() { unmount(); }

    bool mounted() const { return mounted_; }
    const std::string& failure() const { return failure_; }

    // The driver writes everything back before the unmount returns.
    void unmount() {
        if (mounted_) runLogged("fusermount", {"-u", mountPoint_.string()}, log_);
        mounted_ = false;
        if (!device_.empty()) runLogged("losetup", {"-d", device_}, log_);
        device_.clear();
    }

private:
    fs::path mountPoint_, log_;
    std::string device_, failure_;
    bool mounted_ = false;
};

std::uint32_t u32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return bytes.at(at) | bytes.at(at + 1) << 8 | bytes.at(at + 2) << 16 |
           static_cast<std::uint32_t>(bytes.at(at + 3)) << 24;
}

// The flags byte of the stream extension after the first deleted file entry
// in the root directory's first cluster.
std::optional<std::uint8_t> deletedStreamFlags(const std::vector<std::uint8_t>& image) {
    std::size_t bytesPerSector = std::size_t{1} << image.at(108);
    std::size_t bytesPerCluster = bytesPerSector << image.at(109);
    std::size_t root = u32(image, 88) * bytesPerSector + (u32(image, 96) - 2) * bytesPerCluster;
    for (std::size_t at = root; at + 64 <= root + bytesPerCluster; at += 32)
        if (image.at(at) == 0x05 && image.at(at + 32) == 0x40) return image.at(at + 33);
    return std::nullopt;
}

std::optional<std::string> fuseDriver() {
    for (const char* name : {"mount.exfat-fuse", "exfat-fuse"})
        if (testing::haveTool(name)) return name;
    return std::nullopt;
}

// exfat-fuse (1.3) writes a file copied in one piece as a single run and sets
// the no-FAT-chain flag; deleting it keeps the flag in the deleted entry set,
// so the scan offers the file and exports the JPEG's own bytes. A driver that
// left the flag clear would leave the run's extent to the allocation table,
// which a delete clears: such a file must not be offered.
TEST(ExFATFuseFixture, AFileDeletedThroughTheDriverIsJudgedByItsChainFlag) {
    auto driver = fuseDriver();
    if (!driver || !testing::haveTool("fusermount")) GTEST_SKIP() << "The exFAT FUSE driver or fusermount is missing.";
    if (!fuseDeviceOpens()) GTEST_SKIP() << "/dev/fuse cannot be opened here.";

    testing::TemporaryFolder folder;
    auto image = folder / "card.img";
    testing::writeFile(image, "");
    fs::resize_file(image, 32 * 1024 * 1024);
    ASSERT_EQ(testing::runTool("mkfs.exfat", {image.string()}), 0);
    auto jpeg = testing::SampleFiles::image("jpg", "640x480");
    auto original = folder / "IMG_0001.JPG";
    testing::writeFile(original, std::string(jpeg.begin(), jpeg.end()));
    fs::create_directory(folder / "mount");
    {
        FuseMount mount(*driver, image, folder / "mount", folder / "mount.log");
        if (!mount.mounted()) GTEST_SKIP() << "FUSE cannot mount the image here: " << mount.failure();
        fs::copy_file(original, folder / "mount" / "IMG_0001.JPG");
        fs::remove(folder / "mount" / "IMG_0001.JPG");
        mount.unmount();
    }

    auto flags = deletedStreamFlags(testing::fileBytes(image));
    ASSERT_TRUE(flags.has_value()) << "no deleted entry set in the root directory";
    RecordProperty("noFATChainFlag", (*flags & 0x02) != 0 ? "set" : "clear");
    auto [candidates, report] = scanImage(image);
    auto found = std::find_if(candidates.begin(), candidates.end(),
                              [](const Candidate& candidate) { return candidate.name == "IMG_0001.JPG"; });
    if ((*flags & 0x02) == 0) {
        EXPECT_EQ(found, candidates.end()) << "a deleted file without the no-FAT-chain flag was offered";
        return;
    }
    ASSERT_NE(found, candidates.end());
    testing::TemporaryFolder destination;
    ASSERT_EQ(exportImage({*found}, image, "exFAT image", destination.path()).size(), 1u);
    EXPECT_EQ(testing::fileBytes(destination / "Tidewell-Deleted-Recovery-exFAT image" / "IMG_0001.JPG"), jpeg);
}

}  // namespace
}  // namespace tidewell::ExFATDeletedRecoveryEngine
