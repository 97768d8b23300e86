#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "acceptance/acceptance_runs.h"
#include "acceptance/recovery_qa_digest.h"
#include "platform/disk_information_sources.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::writeFile;

constexpr const char* usageLine =
    "Usage: Tidewell --recovery-qa --source <folder> --destination <folder> [--minimum-candidates <count>] "
    "[--max-export <count>] [--only-name <file>] [--cancel-during-scan]\n";

struct RunResult {
    std::optional<std::int32_t> status;
    std::string out;
    std::string err;
};

// Runs the folder acceptance run in-process on a temporary source and
// destination, with disk facts that name no device (so the source is the
// folder itself) and the real SHA-256 tool unless a test swaps it.
class RecoveryQATest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(source());
        fs::create_directories(destination());
        writeFile(folder_ / "mountinfo", "1 0 0:1 / / rw - ext4 /dev/nothing rw\n");
        platform::DiskInformationSources sources;
        sources.mountInfoFile = folder_ / "mountinfo";
        sources.lsblkExecutable = (folder_ / "no-lsblk").string();
        platform::setDiskInformationSources(sources);
    }
    void TearDown() override {
        platform::setDiskInformationSources(platform::DiskInformationSources{});
        RecoveryQAAcceptance::setDigestTool(RecoveryQAAcceptance::defaultDigestTool);
    }
    fs::path source() const { return folder_ / "source"; }
    fs::path destination() const { return folder_ / "destination"; }

    RunResult run(std::vector<std::string> extra, bool withPaths = true) {
        std::vector<std::string> arguments{"tidewell", "--recovery-qa"};
        if (withPaths)
            arguments.insert(arguments.end(), {"--source", source().string(), "--destination", destination().string()});
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        RunResult result;
        result.status = RecoveryQAAcceptance::runIfRequested(arguments);
        result.out = ::testing::internal::GetCapturedStdout();
        result.err = ::testing::internal::GetCapturedStderr();
        return result;
    }
    // Each photo a minute newer than the one before: files written in one clock tick of the
    // file system share a date, and the scan order (newest first) must not depend on that.
    void makePhotos(int count) {
        const auto now = fs::file_time_type::clock::now();
        for (int i = 0; i < count; ++i) {
            const fs::path photo = source() / "DCIM" / ("IMG_" + std::to_string(1000 + i) + ".JPG");
            writeFile(photo, "photo " + std::to_string(i));
            fs::last_write_time(photo, now - std::chrono::minutes(count - i));
        }
    }
    void useDigestScript(const std::string& body) {
        writeFile(folder_ / "digest", "#!/bin/sh\n" + body);
        fs::permissions(folder_ / "digest", fs::perms::owner_all);
        RecoveryQAAcceptance::setDigestTool((folder_ / "digest").string());
    }
    std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> result;
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);) result.push_back(line);
        return result;
    }

    testing::TemporaryFolder folder_;
};

TEST_F(RecoveryQATest, DoesNothingWithoutItsOption) {
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(RecoveryQAAcceptance::runIfRequested({"tidewell", "--source", "x"}).has_value());
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
}

TEST_F(RecoveryQATest, MissingPathsPrintTheUsage) {
    auto noDestination = run({"--source", source().string()}, false);
    EXPECT_EQ(noDestination.status, 64);
    EXPECT_EQ(noDestination.err, usageLine);
    EXPECT_EQ(noDestination.out, "");
    EXPECT_EQ(run({"--destination", "d", "--source"}, false).status, 64);
}

TEST_F(RecoveryQATest, PassesOnAMixedTreeOfThousandsOfFiles) {
    const char* extensions[] = {".jpg", ".mov", ".pdf", ".mp3", ".zip", ".xyz", ".txt"};
    for (int i = 0; i < 2100; ++i)
        writeFile(source() / ("folder" + std::to_string(i % 30)) / ("file" + std::to_string(i) + extensions[i % 7]),
                  std::string(static_cast<std::size_t>(1 + i % 97), static_cast<char>('a' + i % 26)));
    writeFile(source() / ".hidden/secret.jpg", "hidden");
    writeFile(source() / "empty.jpg", "");
    auto result = run({});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    auto out = lines(result.out);
    ASSERT_GE(out.size(), 3u);
    EXPECT_EQ(out.back(),
              "PASS recovery acceptance: 1800 files scanned; 20 files exported and checksum verified; 2131 items "
              "visited.");
    auto guard = std::find(out.begin(), out.end(), "PASS source-destination guard");
    ASSERT_NE(guard, out.end());
    EXPECT_EQ(*(guard - 1), "SCAN 100% Found 1800 readable files");
    // Reports during the walk depend on the directory order; each is a SCAN line.
    for (auto line = out.begin(); line < guard - 1; ++line) EXPECT_EQ(line->rfind("SCAN ", 0), 0u) << *line;
    EXPECT_EQ(*(guard + 1), "EXPORT 5% Exported 1 of 20 files");
    EXPECT_EQ(*(out.end() - 2), "EXPORT 100% Exported 20 of 20 files");
    EXPECT_TRUE(fs::exists(destination() / "Tidewell-Recovered-source/Tidewell-Recovery-Report.txt"));
}

TEST_F(RecoveryQATest, SelectsByCountAndName) {
    makePhotos(25);
    auto one = run({"--max-export", "0"});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_NE(one.out.find("; 1 files exported and checksum verified;"), std::string::npos);
    auto fallback = run({"--max-export", "abc"});
    EXPECT_NE(fallback.out.find("25 files scanned; 20 files exported"), std::string::npos);
    auto named = run({"--only-name", "img_1007.jpg"});
    EXPECT_EQ(named.status, 0) << named.err;
    EXPECT_TRUE(fs::exists(destination() / "Tidewell-Recovered-source-3/DCIM/IMG_1007.JPG"));
    auto unmatched = run({"--only-name", "nothing.jpg"});
    EXPECT_EQ(unmatched.status, 4);
    EXPECT_EQ(unmatched.err, "FAIL: no readable candidate matched the requested export selection.\n");
}

TEST_F(RecoveryQATest, UnusableSourcesAndTooFewCandidates) {
    auto empty = run({});
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.err, "FAIL: expected at least 1 readable candidates; found 0.\n");
    EXPECT_EQ(empty.out, "SCAN 100% Found 0 readable files\n");

    auto guardOnNothing = run({"--minimum-candidates", "0"});
    EXPECT_EQ(guardOnNothing.status, 1);
    EXPECT_EQ(guardOnNothing.err, "FAIL: Select at least one readable file to export.\n");

    makePhotos(2);
    EXPECT_EQ(run({"--minimum-candidates", "3"}).err, "FAIL: expected at least 3 readable candidates; found 2.\n");

    writeFile(folder_ / "file.jpg", "x");
    auto file = run({"--source", (folder_ / "file.jpg").string(), "--destination", "d"}, false);
    EXPECT_EQ(file.status, 1);
    EXPECT_EQ(file.err, "FAIL: Choose a mounted folder or drive, not a file.\n");
}

TEST_F(RecoveryQATest, ADestinationInsideTheSourceFailsAfterTheGuard) {
    makePhotos(1);
    auto result = run({"--source", source().string(), "--destination", (source() / "out").string()}, false);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("PASS source-destination guard\n"), std::string::npos);
    EXPECT_EQ(result.err,
              "FAIL: Choose a different drive or folder. Tidewell never exports recovered files back onto the source "
              "media.\n");
    EXPECT_FALSE(fs::exists(source() / "out"));
}

TEST_F(RecoveryQATest, CancellationDuringTheScan) {
    makePhotos(10);
    auto small = run({"--cancel-during-scan"});
    EXPECT_EQ(small.status, 7);
    EXPECT_EQ(small.err, "FAIL: scan completed after cancellation was requested.\n");

    makePhotos(200);
    auto large = run({"--cancel-during-scan"});
    EXPECT_EQ(large.status, 0) << large.err;
    EXPECT_EQ(large.out, "SCAN 13% Indexed 119 readable files\nPASS scan cancellation\n");
}

TEST_F(RecoveryQATest, ChecksumFailures) {
    makePhotos(3);
    useDigestScript("echo \"$1\"\n");
    auto mismatch = run({});
    EXPECT_EQ(mismatch.status, 6);
    EXPECT_EQ(mismatch.err, "FAIL: checksum mismatch for DCIM/IMG_1002.JPG.\n");

    useDigestScript("exit 1\n");
    auto failing = run({});
    EXPECT_EQ(failing.status, 1);
    EXPECT_EQ(failing.err, "FAIL: Could not checksum IMG_1002.JPG.\n");

    RecoveryQAAcceptance::setDigestTool((folder_ / "missing-tool").string());
    auto missing = run({});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.rfind("FAIL: ", 0), 0u);
    EXPECT_GT(missing.err.size(), 7u);
}

TEST_F(RecoveryQATest, DigestIsTheLowerCaseSha256) {
    writeFile(folder_ / "abc.txt", "abc");
    EXPECT_EQ(RecoveryQAAcceptance::digest(folder_ / "abc.txt"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    writeFile(folder_ / "back\\slash.txt", "abc");
    EXPECT_EQ(RecoveryQAAcceptance::digest(folder_ / "back\\slash.txt"),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
}  // namespace tidewell
