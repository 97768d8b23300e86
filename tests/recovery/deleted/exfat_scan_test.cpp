#include <gtest/gtest.h>

#include "recovery/deleted/exfat_card_fixture.h"
#include "recovery/deleted/exfat_deleted_recovery_engine.h"

namespace tidewell::ExFATDeletedRecoveryEngine {
namespace {

using FATDeletedRecoveryEngine::Confidence;

const Candidate* named(const std::vector<Candidate>& candidates, const std::string& name) {
    auto match = std::find_if(candidates.begin(), candidates.end(), [&](const Candidate& c) { return c.name == name; });
    return match == candidates.end() ? nullptr : &*match;
}

TEST(ExFATScan, TheWriterMakesImagesTheCheckerAccepts) {
    testing::ExFATCard card;
    std::string output;
    EXPECT_EQ(testing::runTool("fsck.exfat", {"-n", card.image.path().string()}, &output), 0) << output;
}

TEST(ExFATScan, FindsDeletedContiguousFilesAndGradesThemByTheBitmap) {
    testing::ExFATCard card;
    auto [candidates, report] = scanImage(card.image.path());
    ASSERT_EQ(candidates.size(), 3u);
    EXPECT_EQ(report.sourceName, "exFAT image");
    EXPECT_EQ(report.directoriesChecked, 3);  // root, DCIM, the chained folder
    EXPECT_EQ(report.skippedEntries, 1);      // chained.pdf had an allocation chain

    const Candidate* jpeg = named(candidates, "IMG_0001.JPG");
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(jpeg->confidence, Confidence::high);
    EXPECT_TRUE(jpeg->contentIsValidated);
    EXPECT_EQ(jpeg->sourceFormat, "exFAT");
    EXPECT_EQ(jpeg->directoryLocation, "DCIM");
    EXPECT_EQ(jpeg->id, "exfat#DCIM#0#" + std::to_string(jpeg->startCluster) + "#" + std::to_string(card.jpeg.size()));
    EXPECT_EQ(jpeg->evidenceText(),
              "Deleted exFAT directory entry \u00B7 JPEG signature \u00B7 content validated \u00B7 unallocated run");

    const Candidate* png = named(candidates, "Beach_sunset_001.png");  // two name entries joined
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(png->confidence, Confidence::high);
    EXPECT_EQ(png->directoryLocation, "Root directory");

    const Candidate* reused = named(candidates, "reused.jpg");
    ASSERT_NE(reused, nullptr);
    EXPECT_FALSE(reused->isContiguousAndFree);
    EXPECT_EQ(reused->confidence, Confidence::low);
    EXPECT_EQ(reused->directoryLocation, "Chained folder");
    EXPECT_EQ(candidates.back().name, "reused.jpg");
}

TEST(ExFATScan, ReportsProgressAndHonoursCancellation) {
    testing::ExFATCard card;
    std::vector<std::string> texts;
    scanImage(card.image.path(), "CARD", nullptr, [&](double, const std::string& text) { texts.push_back(text); });
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(texts[0], "Checked 1 directories \u00B7 found 1 deleted entries");
    EXPECT_EQ(texts[3], "Found 3 deleted-file candidates");
    RecoveryCancellationToken token;
    token.cancel();
    EXPECT_THROW(scanImage(card.image.path(), "CARD", &token), RecoveryError);
}

std::string scanError(const std::filesystem::path& image) {
    try {
        scanImage(image);
    } catch (const RecoveryError& error) {
        return error.what();
    }
    return "no error";
}

TEST(ExFATScan, RefusesOtherBootSectorsAndVolumesWithoutABitmap) {
    testing::ExFATCard card;
    testing::patchFile(card.image.path(), card.image.rootEntryOffset(0x81), {0x01});
    EXPECT_EQ(scanError(card.image.path()),
              "Tidewell could not find the active exFAT allocation bitmap on this source.");
    testing::patchFile(card.image.path(), 108, {8});
    EXPECT_EQ(scanError(card.image.path()), "The exFAT boot sector is incomplete or uses unsupported geometry.");
    testing::patchFile(card.image.path(), 3, {'F', 'A', 'T', '3', '2', ' ', ' ', ' '});
    EXPECT_EQ(scanError(card.image.path()), "The selected source does not contain a readable exFAT boot sector.");
    testing::patchFile(card.image.path(), 3, {'E', 'X', 'F', 'A', 'T', ' ', ' ', ' '});
    testing::patchFile(card.image.path(), 108, {9});
    testing::patchFile(card.image.path(), 84, testing::littleEndian(131073, 4));  // 64 MiB + 512 bytes
    EXPECT_EQ(scanError(card.image.path()),
              "This exFAT allocation table is too large for the current safe recovery pass.");
    testing::TemporaryFolder folder;
    testing::writeFile(folder / "short.img", std::string(100, 'x'));
    EXPECT_EQ(scanError(folder / "short.img"),
              "The recovery image ended before the requested exFAT sector could be read.");
}

TEST(ExFATVolumeScan, RefusesOtherFileSystemsAndVolumesWithoutADevice) {
    ExternalRecoveryVolume volume{.name = "STICK", .fileSystem = "FAT32"};
    try {
        scan(volume);
        FAIL();
    } catch (const RecoveryError& error) {
        EXPECT_STREQ(error.what(), "Deleted-file recovery expected an exFAT USB or SD volume, but STICK uses FAT32.");
    }
    volume.fileSystem = "exfat";
    try {
        scan(volume);
        FAIL();
    } catch (const RecoveryError& error) {
        EXPECT_STREQ(error.what(),
                     "Tidewell could not identify the raw device behind STICK. Reconnect the drive and choose it "
                     "again.");
    }
}

}  // namespace
}  // namespace tidewell::ExFATDeletedRecoveryEngine
