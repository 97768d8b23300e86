#include <gtest/gtest.h>

#include "acceptance/acceptance_runs.h"
#include "acceptance/deleted_recovery_qa_support.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

using testing::TemporaryFolder;

struct RunOutcome {
    std::optional<std::int32_t> status;
    std::string out;
    std::string err;
};

RunOutcome runLiveQA(std::vector<std::string> options) {
    options.insert(options.begin(), {"tidewell", LiveDeletedRecoveryQAAcceptance::option});
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    auto status = LiveDeletedRecoveryQAAcceptance::runIfRequested(options);
    std::string out = ::testing::internal::GetCapturedStdout();
    return {status, out, ::testing::internal::GetCapturedStderr()};
}

bool isEmptyFolder(const std::filesystem::path& folder) {
    return std::filesystem::is_empty(folder);
}

TEST(LiveDeletedRecoveryQA, IsAbsentWithoutItsOptionAndNeedsBothFolders) {
    EXPECT_EQ(LiveDeletedRecoveryQAAcceptance::runIfRequested({"tidewell", "--source", "/"}), std::nullopt);
    TemporaryFolder source;
    auto outcome = runLiveQA({"--source", source.path().string(), "--destination"});
    EXPECT_EQ(outcome.status, 64);
    EXPECT_EQ(outcome.err,
              "Usage: Tidewell --live-deleted-recovery-qa --source <mounted-fat32-volume> "
              "--destination <different-folder>\n");
}

TEST(LiveDeletedRecoveryQA, RefusesADestinationInsideTheSourceBeforeTouchingIt) {
    TemporaryFolder source;
    TemporaryFolder elsewhere;
    std::filesystem::create_symlink(source.path(), elsewhere.path() / "link");
    for (const auto& destination :
         {source.path(), source.path() / "sub" / ".." / "out", elsewhere.path() / "link" / "out"}) {
        auto outcome = runLiveQA({"--source", source.path().string(), "--destination", destination.string()});
        EXPECT_EQ(outcome.status, 65) << destination;
        EXPECT_EQ(outcome.err, "FAIL: the QA export destination must be outside the source volume.\n");
        EXPECT_TRUE(isEmptyFolder(source.path()));
    }
}

TEST(LiveDeletedRecoveryQA, RefusesASourceThatIsNotFAT32WithoutWritingToIt) {
    TemporaryFolder source;
    TemporaryFolder destination;
    auto outcome = runLiveQA({"--source", source.path().string(), "--destination", destination.path().string()});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_TRUE(outcome.err.starts_with("FAIL: the selected test source is ")) << outcome.err;
    EXPECT_TRUE(outcome.err.ends_with(", not FAT32.\n")) << outcome.err;
    EXPECT_TRUE(isEmptyFolder(source.path()));
    EXPECT_TRUE(isEmptyFolder(destination.path()));
}

TEST(LiveDeletedRecoveryQA, OnlyFAT32NamesPassTheFileSystemCheck) {
    for (const char* name : {"vfat", "msdos", "FAT32", "fat"}) EXPECT_TRUE(acceptance::isFAT32FileSystemName(name));
    // exFAT holds "fat" in its name, yet the FAT32 engine would refuse it after
    // the test file had been written.
    for (const char* name : {"exfat", "ExFAT", "ext4", "Mounted volume", ""})
        EXPECT_FALSE(acceptance::isFAT32FileSystemName(name)) << name;
}

TEST(LiveDeletedRecoveryQA, CarriesAOnePixelPNGOfSeventyBytes) {
    auto data = LiveDeletedRecoveryQAAcceptance::testImageData();
    ASSERT_EQ(data.size(), 70u);
    EXPECT_TRUE(DeletedRecoveryQAAcceptance::signatureMatches("PNG", data));
}

}  // namespace
}  // namespace tidewell
