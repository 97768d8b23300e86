#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "recovery/readable/external_recovery_engine.h"
#include "recovery/readable/readable_source_tree.h"
#include "recovery/readable/readable_walk.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using Engine = ExternalRecoveryEngine;
using testing::folderSource;
using testing::writeFile;
using Clock = std::chrono::system_clock;

// Every scan here runs on a real tree and must leave it exactly as it was.
class ReadableScanTest : public ::testing::Test {
protected:
    fs::path root() const { return folder_ / "source"; }
    void SetUp() override { fs::create_directories(root()); }
    std::pair<std::vector<RecoveryCandidate>, RecoveryScanReport> scan(const Engine::Token& token = nullptr) {
        std::string before = testing::treeFingerprint(folder_.path());
        auto result = Engine::scan(folderSource(root()), token, log_.callback());
        EXPECT_EQ(testing::treeFingerprint(folder_.path()), before);
        return result;
    }
    std::vector<std::string> relativePaths(const std::vector<RecoveryCandidate>& candidates) {
        std::vector<std::string> paths;
        for (const auto& candidate : candidates) paths.push_back(candidate.relativePath);
        return paths;
    }

    testing::TemporaryFolder folder_;
    testing::ProgressLog log_;
};

// Fast creation of many small files for the limit cases.
void createFiles(const fs::path& folder, int count, const std::string& extension, bool withByte) {
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        std::string path = (folder / ("f" + std::to_string(i) + extension)).string();
        int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(descriptor, 0);
        if (withByte) {
            ASSERT_EQ(::write(descriptor, "x", 1), 1);
        }
        ::close(descriptor);
    }
}

TEST_F(ReadableScanTest, AnEmptySourceFindsNothing) {
    auto [candidates, report] = scan();
    EXPECT_TRUE(candidates.empty());
    EXPECT_EQ(report.filesVisited, 0);
    EXPECT_EQ(report.candidatesFound, 0);
    EXPECT_EQ(report.sourceName, "CARD");
    EXPECT_FALSE(report.reachedItemLimit);
    EXPECT_EQ(report.durationText(), "1s");
    ASSERT_EQ(log_.reports.size(), 1u);
    EXPECT_EQ(log_.reports[0], std::make_pair(1.0, std::string("Found 0 readable files")));
}

TEST_F(ReadableScanTest, SkipsEmptyFilesAndIgnoresOtherKinds) {
    writeFile(root() / "a.txt", "");
    writeFile(root() / "b.txt", "0123456789");
    writeFile(root() / "notes.xyz", "not a candidate");
    writeFile(root() / "README", "no extension");
    auto [candidates, report] = scan();
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0].relativePath, "b.txt");
    EXPECT_EQ(candidates[0].sourceURL, root() / "b.txt");
    EXPECT_EQ(candidates[0].kind, RecoveryCandidateKind::document);
    EXPECT_GE(candidates[0].sizeBytes, 10);
    EXPECT_EQ(report.filesVisited, 4);
    EXPECT_EQ(report.skippedItems, 1);
}

TEST_F(ReadableScanTest, SymbolicLinksAreSkippedAndNeverEntered) {
    for (int i = 0; i < 5; ++i) writeFile(folder_ / "photos" / ("p" + std::to_string(i) + ".jpg"), "jpeg");
    fs::create_directory_symlink(folder_ / "photos", root() / "linked photos");
    fs::create_symlink(folder_ / "photos/p0.jpg", root() / "link.jpg");
    auto [candidates, report] = scan();
    EXPECT_TRUE(candidates.empty());
    EXPECT_EQ(report.filesVisited, 2);
    EXPECT_EQ(report.skippedItems, 2);
}

TEST_F(ReadableScanTest, HiddenEntriesAndPackageInsidesAreNeverVisited) {
    writeFile(root() / ".hidden.jpg", "jpeg");
    writeFile(root() / ".git/objects/x.jpg", "jpeg");
    writeFile(root() / "Library.photoslibrary/originals/a.jpg", "jpeg");
    writeFile(root() / "Tool.app/Contents/icon.png", "png");
    writeFile(root() / "DCIM/100/IMG_0001.JPG", "jpeg");
    auto [candidates, report] = scan();
    EXPECT_EQ(relativePaths(candidates), std::vector<std::string>{"DCIM/100/IMG_0001.JPG"});
    // The two packages, DCIM, 100 and the photo.
    EXPECT_EQ(report.filesVisited, 5);
    EXPECT_EQ(report.skippedItems, 0);
}

TEST_F(ReadableScanTest, SortsByKindThenNewestThenName) {
    auto now = Clock::now();
    auto older = now - std::chrono::hours(48);
    testing::writeDatedFile(root() / "b.jpg", "x", now);
    testing::writeDatedFile(root() / "A.jpg", "x", now);
    testing::writeDatedFile(root() / "old.jpg", "x", older);
    testing::writeDatedFile(root() / "clip.mov", "x", now);
    testing::writeDatedFile(root() / "song.MP3", "x", older);
    testing::writeDatedFile(root() / "backup.tar.gz", "x", older);
    testing::writeDatedFile(root() / "letter.pdf", "x", older);
    auto [candidates, report] = scan();
    EXPECT_EQ(relativePaths(candidates), (std::vector<std::string>{"backup.tar.gz", "song.MP3", "letter.pdf", "A.jpg",
                                                                   "b.jpg", "old.jpg", "clip.mov"}));
    EXPECT_EQ(candidates[5].modifiedDate, older);
    EXPECT_EQ(report.candidatesFound, 7);
}

TEST_F(ReadableScanTest, ReportsProgressEvery120VisitedEntriesThatAddACandidate) {
    createFiles(root() / "DCIM", 299, ".jpg", true);
    auto [candidates, report] = scan();
    EXPECT_EQ(report.filesVisited, 300);
    ASSERT_EQ(log_.reports.size(), 3u);
    EXPECT_DOUBLE_EQ(log_.reports[0].first, 120.0 / 920.0);
    EXPECT_EQ(log_.reports[0].second, "Indexed 119 readable files");
    EXPECT_DOUBLE_EQ(log_.reports[1].first, 240.0 / 1040.0);
    EXPECT_EQ(log_.reports[1].second, "Indexed 239 readable files");
    EXPECT_EQ(log_.reports[2], std::make_pair(1.0, std::string("Found 299 readable files")));
}

TEST_F(ReadableScanTest, CancellationEndsTheScanWithoutResults) {
    createFiles(root(), 300, ".png", true);
    auto token = std::make_shared<RecoveryCancellationToken>();
    token->cancel();
    try {
        scan(token);
        FAIL() << "the scan went on after cancellation";
    } catch (const Engine::RecoveryError& error) {
        EXPECT_EQ(error.errorCase(), Engine::RecoveryError::Case::cancelled);
        EXPECT_STREQ(error.what(), "Recovery cancelled.");
    }
    EXPECT_TRUE(log_.reports.empty());

    // Cancelled from the first progress report: the next entry stops the walk.
    auto midway = std::make_shared<RecoveryCancellationToken>();
    int reports = 0;
    EXPECT_THROW(Engine::scan(folderSource(root()), midway,
                              [&](double, const std::string&) {
                                  ++reports;
                                  midway->cancel();
                              }),
                 Engine::RecoveryError);
    EXPECT_EQ(reports, 1);
}

TEST_F(ReadableScanTest, AMissingSourceOrAFileIsUnavailable) {
    auto expectUnavailable = [](const fs::path& path) {
        try {
            Engine::scan(folderSource(path, "CARD"));
            FAIL();
        } catch (const Engine::RecoveryError& error) {
            EXPECT_EQ(error.errorCase(), Engine::RecoveryError::Case::sourceUnavailable);
            EXPECT_STREQ(error.what(), "CARD is no longer available. Reconnect it and try again.");
        }
    };
    expectUnavailable(folder_ / "missing");
    writeFile(folder_ / "file.jpg", "x");
    expectUnavailable(folder_ / "file.jpg");
}

TEST_F(ReadableScanTest, StopsAtTheCandidateLimit) {
    createFiles(root(), static_cast<int>(Engine::Limits::maximumCandidateCount) + 1, ".jpg", true);
    auto [candidates, report] = Engine::scan(folderSource(root()));
    EXPECT_EQ(static_cast<std::int64_t>(candidates.size()), Engine::Limits::maximumCandidateCount);
    EXPECT_TRUE(report.reachedItemLimit);
    EXPECT_EQ(report.filesVisited, Engine::Limits::maximumCandidateCount + 1);
}

TEST_F(ReadableScanTest, StopsOnTheEntryAfterAVisitLimit) {
    // The walk's limits, made small: 3 folders of 4 "other" files are 15 entries.
    for (int folder = 0; folder < 3; ++folder) createFiles(root() / std::to_string(folder), 4, ".xyz", false);
    auto walk = walkReadableTree(root().string(), nullptr, nullptr, {25000, 10});
    ASSERT_TRUE(walk.has_value());
    EXPECT_TRUE(walk->limitReached);
    EXPECT_EQ(walk->visited, 11);
    auto whole = walkReadableTree(root().string(), nullptr, nullptr, {25000, 15});
    EXPECT_FALSE(whole->limitReached);
    EXPECT_EQ(whole->visited, 15);
    EXPECT_FALSE(walkReadableTree((folder_ / "missing").string(), nullptr, nullptr, {1, 1}).has_value());
}

TEST(RelativePathTest, ResolvesLinksOnBothSides) {
    testing::TemporaryFolder folder;
    writeFile(folder / "card/DCIM/a.jpg", "x");
    fs::create_directory_symlink(folder / "card", folder / "alias");
    EXPECT_EQ(Engine::relativePath(folder / "alias/DCIM/a.jpg", folder / "card"), "DCIM/a.jpg");
    EXPECT_EQ(Engine::relativePath(folder / "card/DCIM/./a.jpg", folder / "alias/"), "DCIM/a.jpg");
    EXPECT_EQ(Engine::relativePath(folder / "elsewhere/b.jpg", folder / "card"), "b.jpg");
    EXPECT_EQ(Engine::relativePath(folder / "card", folder / "card"), "card");
}

}  // namespace
}  // namespace tidewell
