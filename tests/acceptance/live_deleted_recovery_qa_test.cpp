#include <unistd.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include "acceptance/acceptance_runs.h"
#include "acceptance/deleted_recovery_qa_support.h"
#include "recovery/deleted/privileged_disk_reader.h"
#include "support/raw_helper_process.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

using testing::runTool;
using testing::TemporaryFolder;

// A FAT32 image attached to a loop device and mounted; detached when done. It
// is mounted below /mnt, as a drive would be: the helper does not read a
// partition mounted below a system place such as /tmp.
class LoopMountedCard {
public:
    explicit LoopMountedCard(const std::filesystem::path& folder) {
        char pattern[] = "/mnt/tidewell-card-XXXXXX";
        if (::mkdtemp(pattern) == nullptr) return;
        mount_ = pattern;
        auto image = folder / "card.img";
        testing::writeFile(image, "");
        std::filesystem::resize_file(image, 64 << 20);
        if (runTool("mkfs.vfat", {"-F", "32", "-n", "CARD", image.string()}) != 0) return;
        std::string device;
        if (runTool("losetup", {"-f", "--show", image.string()}, &device) != 0) return;
        device_ = device.substr(0, device.find('\n'));
        mounted_ = runTool("mount", {"-t", "vfat", device_, mount_.string()}) == 0;
    }
    ~LoopMountedCard() {
        if (mounted_) runTool("umount", {mount_.string()});
        if (!device_.empty()) runTool("losetup", {"-d", device_});
        if (!mount_.empty()) ::rmdir(mount_.c_str());
    }
    bool isMounted() const { return mounted_; }
    const std::filesystem::path& mountPoint() const { return mount_; }

private:
    std::filesystem::path mount_;
    std::string device_;
    bool mounted_ = false;
};

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

TEST(LiveDeletedRecoveryQA, RecoversItsTestFileFromALoopMountedCardThroughTheHelper) {
    if (::geteuid() != 0) GTEST_SKIP() << "attaching a loop device needs root";
    TemporaryFolder folder;
    LoopMountedCard card(folder.path());
    if (!card.isMounted()) GTEST_SKIP() << "this machine cannot loop-mount a FAT32 image";
    testing::ScopedEnvironment socket("TIDEWELL_HELPER_SOCKET", (folder / "helper.sock").string());
    testing::ScopedEnvironment pkexec("TIDEWELL_PKEXEC", (folder / "no-pkexec").string());
    PrivilegedDiskReader::resetInstallationState();
    testing::RawHelperProcess helper(folder / "helper.sock", "/dev");
    TemporaryFolder destination;
    auto outcome = runLiveQA({"--source", card.mountPoint().string(), "--destination", destination.path().string()});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("PASS live deleted recovery acceptance: TWQA"), std::string::npos) << outcome.out;
    PrivilegedDiskReader::resetInstallationState();
}

}  // namespace
}  // namespace tidewell
