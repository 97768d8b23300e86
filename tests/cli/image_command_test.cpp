#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/tidewell_process.h"
#include "recovery/deleted/image_map.h"
#include "support/raw_helper_process.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::runTidewell;

class ImageCommandTest : public ::testing::Test {
protected:
    ImageCommandTest() {
        std::string bytes(5 << 20, '\0');
        for (std::size_t index = 0; index < bytes.size(); ++index) bytes[index] = char(index * 13 >> 7);
        testing::writeFile(source, bytes);
    }

    testing::TemporaryFolder folder;
    fs::path source = folder / "card.bin";
    fs::path image = folder / "copy.img";
};

TEST_F(ImageCommandTest, AFileIsImagedWithItsMapAndReportedAsJSON) {
    const auto run = runTidewell({"image", source.string(), "--output", image.string(), "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto document = run.json();
    EXPECT_EQ(document["errors"].size(), 0u);
    const auto result = document["images"][0];
    EXPECT_EQ(result["image"], image.string());
    EXPECT_EQ(result["map"], image.string() + ".map");
    EXPECT_EQ(result["sizeBytes"], 5 << 20);
    EXPECT_EQ(result["copiedBytes"], 5 << 20);
    EXPECT_EQ(result["complete"], true);
    EXPECT_EQ(result["unreadable"].size(), 0u);
    EXPECT_EQ(testing::readFile(image), testing::readFile(source));
    EXPECT_EQ(testing::readFile(image.string() + ".map"),
              "# Tidewell disk image map\n# source: card.bin\n# size: 5242880\n# sector: 512\n0 5242880 copied\n");
    EXPECT_NE(run.err.find("tidewell: " + source.string() + ": 100% Imaged 5.2 MB of 5.2 MB"), std::string::npos);

    const auto again = runTidewell({"image", source.string(), "--output", image.string()});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.err, "tidewell: " + source.string() + ": " + image.string() +
                             " already has a map; resume its imaging or choose a new name.\n");
}

TEST_F(ImageCommandTest, ResumeContinuesFromTheMapAndTheSourceItselfIsRefused) {
    // An interrupted run: the first mebibyte copied, the rest pending, nothing written there yet.
    DeviceImaging::ImageMap map("card.bin", 5 << 20, 512);
    map.mark(0, 1 << 20, DeviceImaging::RangeStatus::copied);
    testing::writeFile(image.string() + ".map", map.text());
    testing::writeFile(image, testing::readFile(source).substr(0, 1 << 20));
    const auto run = runTidewell({"image", "--resume", source.string(), "--output", image.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "Image: " + image.string());
    EXPECT_EQ(testing::readFile(image), testing::readFile(source));

    const auto onItself = runTidewell({"image", source.string(), "--output", source.string()});
    EXPECT_EQ(onItself.status, 1);
    EXPECT_NE(onItself.err.find("Choose a place outside card.bin for the image"), std::string::npos);
}

TEST_F(ImageCommandTest, NeedsOneSourceAndAnOutput) {
    const std::string usage = "Usage: tidewell image [--resume] [--json] --output FILE DEVICE\n";
    auto run = runTidewell({"image", source.string()});
    EXPECT_EQ(run.status, 64);
    EXPECT_EQ(run.err, "tidewell: missing --output\n" + usage);
    run = runTidewell({"image", "--output", image.string()});
    EXPECT_EQ(run.status, 64);
    run = runTidewell({"image", folder.path().string(), "--output", image.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tidewell: " + folder.path().string() +
                           ": This is neither a block device nor a file that can be imaged.\n");
}

TEST_F(ImageCommandTest, ALoopDeviceIsReadThroughTheHelper) {
    std::string output;
    if (::geteuid() != 0 || testing::runTool("losetup", {"-f", "--show", "-r", source.string()}, &output) != 0)
        GTEST_SKIP() << "losetup needs root and loop devices, which this machine does not give";
    const std::string loop = output.substr(0, output.find('\n'));
    struct Detach {
        std::string device;
        ~Detach() { testing::runTool("losetup", {"-d", device}); }
    } detach{loop};
    testing::ScopedEnvironment socket("TIDEWELL_HELPER_SOCKET", (folder / "helper.sock").string());
    testing::ScopedEnvironment pkexec("TIDEWELL_PKEXEC", (folder / "no-pkexec").string());
    // Without the helper the device cannot be read, and nothing is claimed as imaged.
    const auto refused = runTidewell({"image", loop, "--output", (folder / "none.img").string()});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("tidewell: " + loop + ": Tidewell stopped reading " + loop + ": "), std::string::npos);

    testing::RawHelperProcess helper(folder / "helper.sock", "/dev");
    const auto run = runTidewell({"image", loop, "--output", image.string(), "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.json()["images"][0]["complete"], true);
    EXPECT_EQ(testing::runTool("cmp", {image.string(), loop}), 0);
}

}  // namespace
}  // namespace tidewell
