#include <gtest/gtest.h>

#include <algorithm>

#include "recovery/deleted/fat32_image_fixture.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"

namespace tidewell::FATDeletedRecoveryEngine {
namespace {

using testing::FAT32Image;

const Candidate* named(const std::vector<Candidate>& candidates, const std::string& name) {
    auto match = std::find_if(candidates.begin(), candidates.end(), [&](const Candidate& c) { return c.name == name; });
    return match == candidates.end() ? nullptr : &*match;
}

std::vector<std::string> namesOf(const std::vector<Candidate>& candidates) {
    std::vector<std::string> names;
    for (const auto& c : candidates) names.push_back(c.name);
    return names;
}

class CameraCardScan : public ::testing::Test {
protected:
    void SetUp() override { deleted = testing::fillCameraCard(card); }
    FAT32Image card;
    std::vector<testing::DeletedFile> deleted;
};

TEST_F(CameraCardScan, FindsEveryDeletedFileOfAKnownKindSortedByConfidenceThenSize) {
    auto [candidates, report] = scanImage(card.path());
    ASSERT_EQ(candidates.size(), 6u);
    // High before medium; within a grade the larger file first.
    std::vector<std::string> highs, mediums;
    for (const auto& c : candidates) (c.confidence == Confidence::high ? highs : mediums).push_back(c.name);
    EXPECT_EQ(highs.size(), 3u);
    EXPECT_EQ(mediums.size(), 3u);
    for (std::size_t i = 1; i < candidates.size(); ++i) {
        const auto &before = candidates[i - 1], &after = candidates[i];
        if (before.confidence == after.confidence) {
            EXPECT_GE(before.sizeBytes, after.sizeBytes);
        }
    }
    EXPECT_EQ(candidates.front().confidence, Confidence::high);
    EXPECT_EQ(report.sourceName, "FAT32 image");
    EXPECT_EQ(report.candidatesFound, 6);
    EXPECT_EQ(report.directoriesChecked, 5);  // root, DCIM, 100CANON, DOCS, OLD
    EXPECT_EQ(report.skippedEntries, 1);      // NOTES.XYZ: unknown name, no signature
    EXPECT_GT(report.entriesChecked, 20);
    EXPECT_LE(report.startedAt, report.finishedAt);
}

TEST_F(CameraCardScan, GradesAJpegInFreeClustersThatDecodesAsHigh) {
    auto [candidates, report] = scanImage(card.path());
    const Candidate* jpeg = named(candidates, "_MG_0001.jpg");
    ASSERT_NE(jpeg, nullptr) << ::testing::PrintToString(namesOf(candidates));
    EXPECT_EQ(jpeg->confidence, Confidence::high);
    EXPECT_EQ(jpeg->signature, "JPEG");
    EXPECT_TRUE(jpeg->contentIsValidated);
    EXPECT_TRUE(jpeg->isContiguousAndFree);
    EXPECT_EQ(jpeg->kind, RecoveryCandidateKind::photo);
    EXPECT_EQ(jpeg->sizeBytes, static_cast<std::int64_t>(deleted[0].bytes.size()));
    EXPECT_EQ(jpeg->clustersRequired, (jpeg->sizeBytes + 511) / 512);
    EXPECT_EQ(jpeg->directoryLocation, "100CANON");
    EXPECT_EQ(jpeg->sourceFormat, "FAT32");
    EXPECT_EQ(jpeg->id.substr(0, 9), "100CANON#");
    EXPECT_EQ(jpeg->evidenceText(),
              "Deleted FAT32 directory entry \u00B7 JPEG signature \u00B7 content validated \u00B7 unallocated run");
    for (auto name : {"_OLIDA~1.png", "_NIM.gif"}) {
        const Candidate* image = named(candidates, name);
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(image->confidence, Confidence::high) << name;
    }
}

TEST_F(CameraCardScan, GradesDocumentsAndArchivesByNameAndSignature) {
    auto [candidates, report] = scanImage(card.path());
    const Candidate* pdf = named(candidates, "_EPORT.pdf");
    ASSERT_NE(pdf, nullptr);
    EXPECT_EQ(pdf->confidence, Confidence::medium);  // PDFs are never decoded
    EXPECT_EQ(pdf->directoryLocation, "DOCS");
    // Without an extension the signature decides the kind; the name stays as it was.
    const Candidate* bare = named(candidates, "_CAN");
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(bare->kind, RecoveryCandidateKind::document);
    EXPECT_EQ(bare->signature, "PDF");
    EXPECT_EQ(bare->confidence, Confidence::medium);
    const Candidate* zip = named(candidates, "_ACKUP.zip");
    ASSERT_NE(zip, nullptr);
    EXPECT_EQ(zip->kind, RecoveryCandidateKind::archive);
    EXPECT_EQ(zip->directoryLocation, "OLD");
    EXPECT_EQ(named(candidates, "_OTES.xyz"), nullptr);
}

TEST_F(CameraCardScan, ReportsProgressPerDirectoryThenTheTotal) {
    std::vector<std::pair<double, std::string>> reports;
    scanImage(card.path(), "CARD", nullptr, [&](double f, const std::string& text) { reports.emplace_back(f, text); });
    ASSERT_EQ(reports.size(), 6u);
    EXPECT_EQ(reports[0].second, "Checked 1 directories \u00B7 found 0 deleted entries");
    EXPECT_DOUBLE_EQ(reports[0].first, 1.0 / 4.0);  // root visited, DCIM and DOCS queued
    EXPECT_EQ(reports[4].second, "Checked 5 directories \u00B7 found 6 deleted entries");
    EXPECT_DOUBLE_EQ(reports[4].first, 5.0 / 6.0);
    EXPECT_EQ(reports[5], (std::pair<double, std::string>{1.0, "Found 6 deleted-file candidates"}));
}

TEST_F(CameraCardScan, CancellationEndsTheScanWithItsMessage) {
    RecoveryCancellationToken token;
    try {
        scanImage(card.path(), "CARD", &token, [&](double, const std::string&) { token.cancel(); });
        FAIL() << "the scan finished";
    } catch (const RecoveryError& error) {
        EXPECT_EQ(error.errorCase(), RecoveryError::Case::cancelled);
        EXPECT_STREQ(error.what(), "Deleted-file scan cancelled.");
    }
}

TEST_F(CameraCardScan, VisitsADirectoryReachableTwiceOnlyOnce) {
    // 100CANON's entry in DCIM now points back at DCIM itself.
    auto dcim = testing::findShortNameRecord(card.path(), "DCIM       ");
    auto canon = testing::findShortNameRecord(card.path(), "100CANON   ");
    ASSERT_GT(dcim, 0);
    ASSERT_GT(canon, 0);
    auto bytes = testing::fileBytes(card.path());
    testing::patchFile(card.path(), canon + 20, {bytes[dcim + 20], bytes[dcim + 21]});
    testing::patchFile(card.path(), canon + 26, {bytes[dcim + 26], bytes[dcim + 27]});
    auto [candidates, report] = scanImage(card.path());
    EXPECT_EQ(report.directoriesChecked, 4);
    EXPECT_EQ(named(candidates, "_MG_0001.jpg"), nullptr);
    EXPECT_EQ(candidates.size(), 5u);
}

TEST_F(CameraCardScan, EndsALoopedClusterChainQuietly) {
    // The root directory's allocation entry points at itself.
    testing::patchFile(card.path(), 32 * 512 + 2 * 4, testing::littleEndian(2, 4));
    auto [candidates, report] = scanImage(card.path());
    EXPECT_EQ(candidates.size(), 6u);
}

TEST(FAT32Scan, GradesAFileWhoseClustersWereReusedAsLowAndNotFree) {
    FAT32Image card;
    testing::fillCardWithReusedClusters(card);
    auto [candidates, report] = scanImage(card.path());
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0].name, "_HOTO.jpg");
    EXPECT_FALSE(candidates[0].isContiguousAndFree);
    EXPECT_EQ(candidates[0].confidence, Confidence::low);
    EXPECT_EQ(candidates[0].signature, std::nullopt);  // the new file's bytes
    EXPECT_EQ(candidates[0].evidenceText(), "Deleted FAT32 directory entry \u00B7 cluster reuse uncertain");
}

TEST(FAT32Scan, NeverChangesTheImage) {
    FAT32Image card;
    testing::fillCameraCard(card);
    auto before = card.sha256();
    auto [candidates, report] = scanImage(card.path());
    testing::TemporaryFolder destination;
    exportImage(candidates, card.path(), "CARD", destination.path());
    EXPECT_EQ(card.sha256(), before);
}

TEST(FAT32VolumeScan, RefusesOtherFileSystemsAndVolumesWithoutADevice) {
    ExternalRecoveryVolume volume{.name = "STICK", .mountURL = "/media/STICK", .fileSystem = "NTFS"};
    try {
        scan(volume);
        FAIL();
    } catch (const RecoveryError& error) {
        EXPECT_EQ(error.errorCase(), RecoveryError::Case::unsupportedSource);
        EXPECT_STREQ(error.what(),
                     "Deleted-file recovery is currently available for FAT32 USB and SD media. STICK uses NTFS.");
    }
    volume.fileSystem = "exFAT";  // passes the file-system test; the boot sector decides later
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
}  // namespace tidewell::FATDeletedRecoveryEngine
