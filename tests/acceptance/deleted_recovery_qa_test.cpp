#include <gtest/gtest.h>

#include "acceptance/acceptance_runs.h"
#include "recovery/deleted/fat32_image_fixture.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"

namespace tidewell {
namespace {

using testing::FAT32Image;
using testing::TemporaryFolder;

struct RunOutcome {
    std::optional<std::int32_t> status;
    std::string out;
    std::string err;
};

RunOutcome runQA(std::vector<std::string> options) {
    options.insert(options.begin(), "tidewell");
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    auto status = DeletedRecoveryQAAcceptance::runIfRequested(options);
    std::string out = ::testing::internal::GetCapturedStdout();
    return {status, out, ::testing::internal::GetCapturedStderr()};
}

std::int64_t entriesChecked(const std::filesystem::path& image) {
    return FATDeletedRecoveryEngine::scanImage(image).second.entriesChecked;
}

TEST(DeletedRecoveryQA, DoesNothingWithoutItsOption) {
    auto outcome = runQA({"--image", "x", "--destination", "y"});
    EXPECT_EQ(outcome.status, std::nullopt);
    EXPECT_EQ(outcome.out + outcome.err, "");
}

TEST(DeletedRecoveryQA, PrintsTheUsageLineWhenARequiredValueIsMissing) {
    const std::string usage =
        "Usage: Tidewell --deleted-recovery-qa --image <fat32-partition-image> --destination <folder> "
        "[--minimum-candidates <count>] [--max-export <count>]\n";
    for (auto options :
         std::vector<std::vector<std::string>>{{"--deleted-recovery-qa", "--image"},
                                               {"--deleted-recovery-qa", "--destination", "d"},
                                               {"--deleted-recovery-qa", "--destination", "d", "--image"}}) {
        auto outcome = runQA(options);
        EXPECT_EQ(outcome.status, 64);
        EXPECT_EQ(outcome.err, usage);
        EXPECT_EQ(outcome.out, "");
    }
}

TEST(DeletedRecoveryQA, PassesOnACameraCardAndExportsTheFirstRecoverableFiles) {
    FAT32Image card;
    auto deleted = testing::fillCameraCard(card);
    TemporaryFolder destination;
    auto outcome =
        runQA({"--deleted-recovery-qa", "--image", card.path().string(), "--image", "ignored", "--destination",
               destination.path().string(), "--max-export", "3", "--minimum-candidates", "0"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_TRUE(outcome.out.starts_with("DELETED SCAN 25% Checked 1 directories \u00B7 found 0 deleted entries\n"))
        << outcome.out;
    EXPECT_NE(outcome.out.find("\nDELETED SCAN 100% Found 6 deleted-file candidates\n"
                               "DELETED EXPORT 33% Recovered 1 of 3 selected files\n"
                               "DELETED EXPORT 66% Recovered 2 of 3 selected files\n"
                               "DELETED EXPORT 100% Recovered 3 of 3 selected files\n"),
              std::string::npos)
        << outcome.out;
    EXPECT_TRUE(outcome.out.ends_with("PASS deleted recovery acceptance: 6 deleted candidates; 3 exported; " +
                                      std::to_string(entriesChecked(card.path())) +
                                      " FAT directory entries checked.\n"))
        << outcome.out;
    auto folder = destination / "Tidewell-Deleted-Recovery-FAT32 image";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 4);  // three files and the report
}

TEST(DeletedRecoveryQA, ExportsWhatThereIsWhenFewerThanTheMaximumAreRecoverable) {
    FAT32Image card;
    testing::fillCameraCard(card);
    TemporaryFolder destination;
    auto outcome = runQA({"--deleted-recovery-qa", "--image", card.path().string(), "--destination",
                          destination.path().string(), "--max-export", "10", "--minimum-candidates", "six"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("6 deleted candidates; 6 exported;"), std::string::npos);
}

TEST(DeletedRecoveryQA, ExportsLongNamedFilesUnderTheirShortNames) {
    FAT32Image card;
    testing::fillCameraCard(card);  // holds a deleted "Holiday at the sea.png"
    TemporaryFolder destination;
    auto outcome = runQA({"--deleted-recovery-qa", "--image", card.path().string(), "--destination",
                          destination.path().string(), "--max-export", "10"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    auto folder = destination / "Tidewell-Deleted-Recovery-FAT32 image";
    EXPECT_TRUE(std::filesystem::exists(folder / "_OLIDA~1.png"));
    EXPECT_FALSE(std::filesystem::exists(folder / "Holiday at the sea.png"));
    EXPECT_TRUE(
        testing::readFile(folder / "Tidewell-Deleted-Recovery-Report.txt").ends_with("\n\nNo export warnings."));
}

TEST(DeletedRecoveryQA, FailsWhenTooFewCandidatesWereFound) {
    FAT32Image card;
    testing::fillCameraCard(card);
    TemporaryFolder destination;
    auto outcome = runQA({"--deleted-recovery-qa", "--image", card.path().string(), "--destination",
                          destination.path().string(), "--minimum-candidates", "7"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "FAIL: expected at least 7 deleted FAT32 candidates; found 6.\n");
    EXPECT_TRUE(std::filesystem::is_empty(destination.path()));
}

TEST(DeletedRecoveryQA, FailsWhenEveryDeletedFileSitsInReusedClusters) {
    FAT32Image card;
    testing::fillCardWithReusedClusters(card);
    TemporaryFolder destination;
    auto outcome =
        runQA({"--deleted-recovery-qa", "--image", card.path().string(), "--destination", destination.path().string()});
    EXPECT_EQ(outcome.status, 3);
    EXPECT_EQ(outcome.err, "FAIL: found deleted records, but none had an unallocated contiguous cluster run.\n");
}

TEST(DeletedRecoveryQA, FailsWhenARecoverableFileCannotBeCopied) {
    // A deleted file whose tail lies past the end of a cut-off image: the scan
    // reads only its first cluster, the export needs all of it.
    FAT32Image card;
    card.makeDirectory("/DOCS");
    auto pdf = testing::SampleFiles::text(400'000);
    std::string head = "%PDF-1.4";
    std::copy(head.begin(), head.end(), pdf.begin());
    card.write("/DOCS/BIG.PDF", pdf);
    card.remove("/DOCS/BIG.PDF");
    std::filesystem::resize_file(card.path(), 1'200'000);  // the data area starts at 1,049,600
    TemporaryFolder destination;
    auto outcome =
        runQA({"--deleted-recovery-qa", "--image", card.path().string(), "--destination", destination.path().string()});
    EXPECT_EQ(outcome.status, 4);
    EXPECT_EQ(outcome.err, "FAIL: exported 0 of 1 recoverable deleted candidates.\n");
}

TEST(DeletedRecoveryQA, ReportsEngineErrorsAsFailures) {
    TemporaryFolder folder;
    ASSERT_EQ(testing::runTool("mkfs.vfat", {"-F", "16", "-C", (folder / "fat16.img").string(), "16384"}), 0);
    auto outcome = runQA({"--deleted-recovery-qa", "--image", (folder / "fat16.img").string(), "--destination",
                          (folder / "out").string()});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err,
              "FAIL: Deleted-file recovery currently supports FAT32 media. This source is FAT12/FAT16 or not a "
              "supported FAT32 volume.\n");
}

}  // namespace
}  // namespace tidewell
