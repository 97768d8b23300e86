#include <gtest/gtest.h>

#include "model/app_model.h"
#include "model/scripted_desktop.h"
#include "model/workflow_fixture.h"
#include "recovery/deleted/disk_image_fixture.h"
#include "recovery/deleted/quick_format_fixture.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;

// Disk and volume images opened through the scripted panel, scanned and exported by the real engines.
class DiskImageWorkflows : public ::testing::Test {
protected:
    testing::TemporaryHome home;
    testing::ScriptedDialogs dialogs;
    testing::RecordingDesktop desktop;
    AppModel model;

    DiskImageWorkflows() {
        model.setDialogs(&dialogs);
        model.setDesktop(&desktop);
    }

    void open(const fs::path& image) {
        dialogs.openAnswers.push_back({image});
        model.openDiskImage();
    }
    bool scanned() const { return model.deletedRecoveryScanState() == RecoveryScanState::completed(); }
};

TEST_F(DiskImageWorkflows, ADiskImageOffersBothPartitionsAndRecoversFromTheSecond) {
    testing::PartitionedDisk disk;
    open(disk.path);
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].title, "Open a disk image");
    EXPECT_TRUE(dialogs.openRequests[0].canChooseFiles);
    ASSERT_TRUE(testing::eventually([&] { return model.diskImagePartitions().size() == 2; }));
    EXPECT_EQ(PartitionTable::partitionSummary(model.diskImagePartitions()[0]), "Partition 1 · FAT32 · 67.1 MB");
    EXPECT_EQ(PartitionTable::partitionSummary(model.diskImagePartitions()[1]), "Partition 2 · exFAT · 33.6 MB");
    EXPECT_EQ(model.deletedRecoveryStatusText(), "Choose a partition of disk.img to scan");

    model.scanDiskImagePartition(2);
    ASSERT_TRUE(testing::eventually([&] { return scanned(); }));
    EXPECT_EQ(model.deletedRecoveryImageSourceName(), "disk.img partition 2");
    ASSERT_TRUE(model.deletedRecoveryReport());
    EXPECT_EQ(model.deletedRecoveryReport()->sourceName, "disk.img partition 2");
    EXPECT_EQ(model.deletedRecoveryCandidates().size(), 3u);  // two recoverable, one whose clusters were reused

    model.selectAllDeletedRecoveryCandidates();
    const testing::TemporaryFolder destination;
    dialogs.openAnswers.push_back({destination.path()});
    model.exportSelectedDeletedRecoveryCandidates();
    ASSERT_TRUE(testing::eventually([&] { return model.actionMessage().has_value() && scanned(); }));
    EXPECT_EQ(
        *model.actionMessage(),
        "Recovered 2 deleted-file candidate(s) to a separate folder. Verify the recovered files before relying on "
        "them; the source was not changed.");
    const fs::path folder = destination / "Tidewell-Deleted-Recovery-disk.img partition 2";
    EXPECT_EQ(testing::fileBytes(folder / "IMG_0001.JPG"), disk.exfat.jpeg);
    EXPECT_TRUE(fs::exists(folder / "Tidewell-Deleted-Recovery-Report.txt"));
}

TEST_F(DiskImageWorkflows, AVolumeImageIsScannedAtOnceAndAnExt4ImageIsNamed) {
    testing::FAT32Image card;
    const auto deleted = testing::fillCameraCard(card);
    open(card.path());
    ASSERT_TRUE(testing::eventually([&] { return scanned(); }));
    EXPECT_TRUE(model.diskImagePartitions().empty());
    EXPECT_EQ(model.deletedRecoveryCandidates().size(), deleted.size());

    const testing::TemporaryFolder folder;
    const fs::path ext4 = folder / "disk.img";
    testing::writeFile(ext4, "");
    fs::resize_file(ext4, 16 << 20);
    ASSERT_EQ(testing::runTool("mkfs.ext4", {"-q", "-F", ext4.string()}), 0);
    open(ext4);
    const std::string refusal = "Deleted-file recovery reads FAT32 and exFAT volumes, but disk.img is an ext4 volume.";
    ASSERT_TRUE(
        testing::eventually([&] { return model.deletedRecoveryScanState() == RecoveryScanState::failed(refusal); }));
    EXPECT_EQ(model.actionMessage(), "Could not inspect deleted files: " + refusal);
    EXPECT_TRUE(model.deletedRecoveryCandidates().empty());
}

TEST_F(DiskImageWorkflows, ADeepScanOfAQuickFormattedCardExportsItsFilesUnderTheirFoundFolders) {
    testing::FAT32Image card;
    const testing::QuickFormatFiles files = testing::cameraFiles();
    testing::fillAndQuickFormat(card, files);
    open(card.path());
    ASSERT_TRUE(testing::eventually([&] { return scanned(); }));
    EXPECT_TRUE(model.deletedRecoveryCandidates().empty());
    ASSERT_TRUE(model.canDeepScanDeletedFiles());

    model.deepScanDeletedFiles();
    ASSERT_TRUE(testing::eventually([&] { return scanned() && !model.deletedRecoveryCandidates().empty(); }));
    ASSERT_EQ(model.deletedRecoveryCandidates().size(), files.size());
    EXPECT_EQ(model.deletedRecoveryStatusText(), "Scan complete · Found 7 files in 2 folders");
    for (const DeletedRecovery::Candidate& candidate : model.deletedRecoveryCandidates())
        EXPECT_TRUE(candidate.fromFoundFolder);
    const std::string folderPath = model.deletedRecoveryCandidates().front().directoryLocation;
    EXPECT_TRUE(folderPath.starts_with("Found folders/Folder (cluster ")) << folderPath;
    EXPECT_TRUE(folderPath.ends_with("/100TEST")) << folderPath;

    model.selectAllDeletedRecoveryCandidates();
    const testing::TemporaryFolder destination;
    dialogs.openAnswers.push_back({destination.path()});
    model.exportSelectedDeletedRecoveryCandidates();
    ASSERT_TRUE(testing::eventually([&] { return model.actionMessage().has_value() && scanned(); }));
    const fs::path folder = destination / "Tidewell-Deleted-Recovery-card.img";
    for (const auto& [name, bytes] : files) EXPECT_EQ(testing::fileBytes(folder / folderPath / name), bytes) << name;
    const std::string report = testing::readFile(folder / "Tidewell-Deleted-Recovery-Report.txt");
    EXPECT_NE(report.find("Recovered: 7 file(s)"), std::string::npos) << report;
    EXPECT_NE(report.find("Named from a found folder: " + folderPath + "/Holiday at the beach 0001.jpg\n"),
              std::string::npos)
        << report;
}

// The status is observed as each change arrives, so the counts are seen while carving goes
// on, whatever the speed of the machine.
TEST_F(DiskImageWorkflows, ADeepScanCountsWhatItCarvesByKindWhileItRuns) {
    testing::FAT32Image card;
    testing::fillRootAndQuickFormat(card);
    open(card.path());
    ASSERT_TRUE(testing::eventually([&] { return scanned(); }));
    std::vector<std::string> whileScanning;
    QObject::connect(&model, &AppModel::deletedRecoveryStatusTextChanged, [&] {
        if (model.deletedRecoveryScanState() == RecoveryScanState::scanning())
            whileScanning.push_back(model.deletedRecoveryStatusText().value_or(""));
    });
    model.deepScanDeletedFiles();
    ASSERT_TRUE(testing::eventually([&] { return scanned() && !model.deletedRecoveryCandidates().empty(); }));
    EXPECT_EQ(model.deletedRecoveryStatusText(), "Scan complete · Found 0 files in 2 folders · Carved 3 files");

    const std::string carving = "Found 0 files in 2 folders · Looking for files by their contents";
    std::vector<std::string> counts;
    for (const std::string& line : whileScanning)
        if (const std::size_t at = line.find(carving); at != std::string::npos) {
            const std::string count = line.substr(at + carving.size());
            if (counts.empty() || counts.back() != count) counts.push_back(count);
        }
    EXPECT_EQ(counts, (std::vector<std::string>{"", " · JPEG 1", " · JPEG 1 · PNG 1", " · JPEG 2 · PNG 1"}));
}

}  // namespace
}  // namespace tidewell
