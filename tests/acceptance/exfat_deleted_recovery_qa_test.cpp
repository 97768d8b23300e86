#include <gtest/gtest.h>

#include "acceptance/acceptance_runs.h"
#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "recovery/deleted/exfat_image_writer.h"

namespace tidewell {
namespace {

using testing::ExFATImage;
using testing::SampleFiles;
using testing::TemporaryFolder;

struct RunOutcome {
    std::optional<std::int32_t> status;
    std::string out;
    std::string err;
};

RunOutcome runQA(const std::filesystem::path& image, const std::filesystem::path& destination,
                 std::vector<std::string> extra = {}) {
    std::vector<std::string> options{"tidewell",      "--exfat-deleted-recovery-qa", "--image", image.string(),
                                     "--destination", destination.string()};
    options.insert(options.end(), extra.begin(), extra.end());
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    auto status = ExFATDeletedRecoveryQAAcceptance::runIfRequested(options);
    std::string out = ::testing::internal::GetCapturedStdout();
    return {status, out, ::testing::internal::GetCapturedStderr()};
}

TEST(ExFATDeletedRecoveryQA, PassesOnAnImageWithADeletedJpeg) {
    ExFATImage image;
    auto dcim = image.makeDirectory(image.root(), "DCIM");
    image.addFile(dcim, "IMG_0001.JPG", SampleFiles::image("jpg", "64x48"), {.deleted = true});
    image.addFile(dcim, "IMG_0002.JPG", SampleFiles::image("jpg", "32x32"),
                  {.deleted = true, .markClustersUsed = true});
    image.save();
    TemporaryFolder destination;
    auto outcome = runQA(image.path(), destination.path(), {"--minimum-candidates", "2"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    auto entries = ExFATDeletedRecoveryEngine::scanImage(image.path()).second.entriesChecked;
    EXPECT_EQ(outcome.out,
              "EXFAT DELETED SCAN 33% Checked 1 directories \u00B7 found 0 deleted entries\n"
              "EXFAT DELETED SCAN 66% Checked 2 directories \u00B7 found 2 deleted entries\n"
              "EXFAT DELETED SCAN 100% Found 2 deleted-file candidates\n"
              "EXFAT DELETED EXPORT 100% Recovered 1 of 1 selected files\n"
              "PASS exFAT deleted recovery acceptance: 2 candidates; 1 exported; " +
                  std::to_string(entries) + " directory entries checked.\n");
    EXPECT_EQ(outcome.err, "");
}

TEST(ExFATDeletedRecoveryQA, FailsWithTheStatusOfEachCheck) {
    ExFATImage image;
    image.addFile(image.root(), "reused.jpg", SampleFiles::image("jpg", "32x32"),
                  {.deleted = true, .markClustersUsed = true});
    image.save();
    TemporaryFolder destination;
    auto tooFew = runQA(image.path(), destination.path(), {"--minimum-candidates", "2"});
    EXPECT_EQ(tooFew.status, 2);
    EXPECT_EQ(tooFew.err, "FAIL: expected at least 2 deleted exFAT candidates; found 1.\n");
    auto noneFree = runQA(image.path(), destination.path());
    EXPECT_EQ(noneFree.status, 3);
    EXPECT_EQ(noneFree.err, "FAIL: found exFAT records, but none had an unallocated contiguous cluster run.\n");

    ExFATImage pngOnly;
    pngOnly.addFile(pngOnly.root(), "picture.png", SampleFiles::image("png", "16x16"), {.deleted = true});
    pngOnly.save();
    auto notJpeg = runQA(pngOnly.path(), destination.path());
    EXPECT_EQ(notJpeg.status, 5);
    EXPECT_EQ(notJpeg.err, "FAIL: exFAT export does not retain the expected JPEG signature.\n");
}

TEST(ExFATDeletedRecoveryQA, FailsWhenTheCandidateCannotBeCopied) {
    ExFATImage image;
    auto data = SampleFiles::text(400'000);
    data[0] = 0xFF, data[1] = 0xD8, data[2] = 0xFF;
    auto first = image.addFile(image.root(), "large.jpg", data, {.deleted = true});
    image.save();
    std::filesystem::resize_file(image.path(), static_cast<std::uintmax_t>(image.offset(first) + 100'000));
    TemporaryFolder destination;
    auto outcome = runQA(image.path(), destination.path());
    EXPECT_EQ(outcome.status, 4);
    EXPECT_EQ(outcome.err, "FAIL: exFAT candidate was found but not exported.\n");
}

TEST(ExFATDeletedRecoveryQA, ReportsUsageAndEngineErrors) {
    ::testing::internal::CaptureStderr();
    auto status =
        ExFATDeletedRecoveryQAAcceptance::runIfRequested({"tidewell", "--exfat-deleted-recovery-qa", "--image"});
    EXPECT_EQ(status, 64);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Usage: Tidewell --exfat-deleted-recovery-qa --image <exfat-image> --destination <folder> "
              "[--minimum-candidates <count>]\n");
    EXPECT_EQ(ExFATDeletedRecoveryQAAcceptance::runIfRequested({"tidewell", "--deleted-recovery-qa"}), std::nullopt);

    testing::FAT32Image fat32;
    TemporaryFolder destination;
    auto outcome = runQA(fat32.path(), destination.path());
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "FAIL: The selected source does not contain a readable exFAT boot sector.\n");
}

}  // namespace
}  // namespace tidewell
