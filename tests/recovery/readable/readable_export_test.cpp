#include <gtest/gtest.h>

#include "recovery/readable/external_recovery_engine.h"
#include "recovery/readable/readable_source_tree.h"
#include "support/temporary_folder.h"
#include "util/date_codings.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using Engine = ExternalRecoveryEngine;
using testing::folderSource;
using testing::readFile;
using testing::writeFile;

constexpr const char* unsafeMessage =
    "Choose a different drive or folder. Tidewell never exports recovered files back onto the source media.";

// A scanned source tree and a destination beside it; every export must leave
// the source exactly as it was.
class ReadableExportTest : public ::testing::Test {
protected:
    fs::path root() const { return folder_ / "CARD"; }
    fs::path destination() const { return folder_ / "out"; }
    void SetUp() override {
        fs::create_directories(root());
        fs::create_directories(destination());
    }
    std::vector<RecoveryCandidate> scanned() { return Engine::scan(folderSource(root())).first; }
    std::vector<fs::path> exportAll(const std::vector<RecoveryCandidate>& candidates, const fs::path& to) {
        std::string before = testing::treeFingerprint(root());
        auto written = Engine::exportCandidates(candidates, folderSource(root()), to, nullptr, log_.callback());
        EXPECT_EQ(testing::treeFingerprint(root()), before);
        return written;
    }
    RecoveryCandidate candidate(const std::string& relative, const fs::path& source) {
        return RecoveryCandidate{source, relative, RecoveryCandidateKind::photo, 1, std::nullopt};
    }
    void expectError(const std::function<void()>& work, Engine::RecoveryError::Case expected,
                     const std::string& message) {
        try {
            work();
            FAIL() << "no error for " << message;
        } catch (const Engine::RecoveryError& error) {
            EXPECT_EQ(error.errorCase(), expected);
            EXPECT_EQ(error.what(), message);
        }
    }

    testing::TemporaryFolder folder_;
    testing::ProgressLog log_;
};

TEST_F(ReadableExportTest, CopiesKeepingPathsContentsAndDates) {
    writeFile(root() / "DCIM/100/IMG_0001.jpg", "first photo");
    writeFile(root() / "Docs/letter.pdf", "%PDF-1.4 letter");
    auto candidates = scanned();
    auto written = exportAll(candidates, destination());
    fs::path exportRoot = destination() / "Tidewell-Recovered-CARD";
    ASSERT_EQ(written.size(), 2u);
    EXPECT_EQ(written[0], exportRoot / "Docs/letter.pdf");
    EXPECT_EQ(written[1], exportRoot / "DCIM/100/IMG_0001.jpg");
    EXPECT_EQ(readFile(written[1]), "first photo");
    EXPECT_EQ(fs::last_write_time(written[1]), fs::last_write_time(root() / "DCIM/100/IMG_0001.jpg"));
    EXPECT_EQ(log_.reports.back(), std::make_pair(1.0, std::string("Exported 2 of 2 files")));
    EXPECT_EQ(log_.reports.front(), std::make_pair(0.5, std::string("Exported 1 of 2 files")));

    // The report is the engine's text for its own date line.
    std::string report = readFile(exportRoot / "Tidewell-Recovery-Report.txt");
    std::size_t dateLine = report.find("Date: ");
    ASSERT_NE(dateLine, std::string::npos);
    auto date = parseIso8601(report.substr(dateLine + 6, 20));
    ASSERT_TRUE(date.has_value());
    EXPECT_EQ(report, Engine::reportText(folderSource(root()), 2, {}, *date));
    EXPECT_NE(report.find("Exported: 2 readable files\n"), std::string::npos);
    EXPECT_EQ(report.substr(report.size() - 21), "\n\nNo export warnings.");
}

TEST_F(ReadableExportTest, RefusesDestinationsOnOrUnderTheSource) {
    writeFile(root() / "a.jpg", "x");
    auto candidates = scanned();
    auto unsafe = Engine::RecoveryError::Case::unsafeDestination;
    std::string before = testing::treeFingerprint(root());
    expectError([&] { Engine::exportCandidates(candidates, folderSource(root()), root()); }, unsafe, unsafeMessage);
    expectError([&] { Engine::exportCandidates(candidates, folderSource(root()), root() / "sub/"); }, unsafe,
                unsafeMessage);
    expectError([&] { Engine::exportCandidates(candidates, folderSource(root()), folder_ / "out/../CARD/x"); }, unsafe,
                unsafeMessage);
    // Through a link the destination still lands on the source.
    fs::create_directory_symlink(root(), folder_ / "card link");
    expectError([&] { Engine::exportCandidates(candidates, folderSource(root()), folder_ / "card link/in"); }, unsafe,
                unsafeMessage);
    expectError([&] { Engine::exportCandidates(candidates, folderSource(folder_ / "card link"), root()); }, unsafe,
                unsafeMessage);
    EXPECT_EQ(testing::treeFingerprint(root()), before);

    // The source's parent holds the source, and is allowed; so is a sibling sharing a prefix.
    EXPECT_EQ(exportAll(candidates, folder_.path()).size(), 1u);
    EXPECT_EQ(exportAll(candidates, folder_ / "CARD-copy").size(), 1u);
    expectError([&] { Engine::exportCandidates({}, folderSource(root()), destination()); },
                Engine::RecoveryError::Case::noCandidates, "Select at least one readable file to export.");
}

TEST_F(ReadableExportTest, EachExportGetsItsOwnFolder) {
    writeFile(root() / "a.jpg", "x");
    auto candidates = scanned();
    exportAll(candidates, destination());
    exportAll(candidates, destination());
    EXPECT_TRUE(fs::exists(destination() / "Tidewell-Recovered-CARD/a.jpg"));
    EXPECT_TRUE(fs::exists(destination() / "Tidewell-Recovered-CARD-2/a.jpg"));
    EXPECT_EQ(Engine::uniqueExportDirectory(folderSource(root(), "A/B"), destination()),
              destination() / "Tidewell-Recovered-A-B");
    EXPECT_EQ(Engine::uniqueExportDirectory(folderSource(root()), destination()),
              destination() / "Tidewell-Recovered-CARD-3");
}

TEST_F(ReadableExportTest, RelativePathsAreMadeSafeAndNamesUnique) {
    writeFile(root() / "x.jpg", "outside");
    writeFile(root() / "IMG_0042.jpg", "one");
    writeFile(root() / "DCIM/IMG_0042.jpg", "two");
    std::vector<RecoveryCandidate> candidates{
        candidate("../x.jpg", root() / "x.jpg"),
        candidate("./..//", root() / "x.jpg"),
        candidate("IMG_0042.jpg", root() / "IMG_0042.jpg"),
        candidate("IMG_0042.jpg", root() / "DCIM/IMG_0042.jpg"),
        candidate("a/../../IMG_0042.jpg", root() / "DCIM/IMG_0042.jpg"),
    };
    auto written = exportAll(candidates, destination());
    fs::path exportRoot = destination() / "Tidewell-Recovered-CARD";
    std::vector<fs::path> expected{exportRoot / "x.jpg", exportRoot / "x 2.jpg", exportRoot / "IMG_0042.jpg",
                                   exportRoot / "IMG_0042 2.jpg", exportRoot / "a/IMG_0042.jpg"};
    EXPECT_EQ(written, expected);
    EXPECT_EQ(readFile(exportRoot / "IMG_0042 2.jpg"), "two");
    EXPECT_FALSE(fs::exists(folder_ / "x.jpg"));
}

TEST_F(ReadableExportTest, UniqueFileNamesNeverReplaceAnything) {
    writeFile(destination() / "IMG_0042.jpg", "kept");
    writeFile(destination() / "README", "kept");
    fs::create_symlink("nowhere", destination() / "IMG_0042 2.jpg");
    EXPECT_EQ(Engine::uniqueFileURL(destination() / "IMG_0042.jpg", {}), destination() / "IMG_0042 3.jpg");
    EXPECT_EQ(Engine::uniqueFileURL(destination() / "README", {}), destination() / "README 2");
    EXPECT_EQ(Engine::uniqueFileURL(destination() / "backup.tar.gz", {(destination() / "backup.tar.gz").string()}),
              destination() / "backup.tar 2.gz");
    EXPECT_EQ(Engine::uniqueFileURL(destination() / "new.jpg", {}), destination() / "new.jpg");
}

TEST_F(ReadableExportTest, AFailedCopyBecomesAReportWarning) {
    for (int i = 0; i < 10; ++i)
        writeFile(root() / ("IMG_" + std::to_string(i) + ".jpg"), "photo " + std::to_string(i));
    auto candidates = scanned();
    ASSERT_EQ(candidates.size(), 10u);
    fs::remove(root() / "IMG_3.jpg");
    auto written = exportAll(candidates, destination());
    EXPECT_EQ(written.size(), 9u);
    EXPECT_EQ(log_.reports.back(), std::make_pair(1.0, std::string("Exported 9 of 10 files")));
    std::string report = readFile(destination() / "Tidewell-Recovered-CARD/Tidewell-Recovery-Report.txt");
    EXPECT_NE(report.find("Exported: 9 readable files\n"), std::string::npos);
    std::string warning = "\n\nCould not export IMG_3.jpg: No such file or directory";
    EXPECT_EQ(report.substr(report.size() - warning.size()), warning);
    EXPECT_FALSE(fs::exists(destination() / "Tidewell-Recovered-CARD/IMG_3.jpg"));
}

TEST_F(ReadableExportTest, LinksAtTheSourceAreNotFollowed) {
    writeFile(folder_ / "secret.jpg", "outside the source");
    fs::create_symlink(folder_ / "secret.jpg", root() / "link.jpg");
    auto written = exportAll({candidate("link.jpg", root() / "link.jpg")}, destination());
    EXPECT_TRUE(written.empty());
    std::string report = readFile(destination() / "Tidewell-Recovered-CARD/Tidewell-Recovery-Report.txt");
    EXPECT_NE(report.find("Could not export link.jpg: Too many levels of symbolic links"), std::string::npos);
}

TEST_F(ReadableExportTest, CancellationKeepsCopiesAndWritesNoReport) {
    for (int i = 0; i < 3; ++i) writeFile(root() / ("f" + std::to_string(i) + ".png"), "png");
    auto candidates = scanned();
    auto token = std::make_shared<RecoveryCancellationToken>();
    expectError(
        [&] {
            Engine::exportCandidates(candidates, folderSource(root()), destination(), token,
                                     [&](double, const std::string&) { token->cancel(); });
        },
        Engine::RecoveryError::Case::cancelled, "Recovery cancelled.");
    fs::path exportRoot = destination() / "Tidewell-Recovered-CARD";
    EXPECT_TRUE(fs::exists(exportRoot / candidates[0].relativePath));
    EXPECT_FALSE(fs::exists(exportRoot / candidates[1].relativePath));
    EXPECT_FALSE(fs::exists(exportRoot / "Tidewell-Recovery-Report.txt"));
}

TEST(RecoveryReportTextTest, ListsWarningsWithoutATrailingLineFeed) {
    auto volume = testing::folderSource("/media/anna/CARD");
    auto date = std::chrono::sys_days(std::chrono::year(2026) / 12 / 4) + std::chrono::hours(11) +
                std::chrono::minutes(22) + std::chrono::seconds(52);
    EXPECT_EQ(Engine::reportText(volume, 9, {"Could not export a.jpg: x", "Could not export b.jpg: y"}, date),
              "Tidewell External Recovery Report\nSource: CARD\nSource path: /media/anna/CARD\nExported: 9 readable "
              "files\nDate: 2026-12-04T11:22:52Z\n\nThis export copied files that were readable from the mounted "
              "source. It did not scan deleted disk blocks, alter the source device, or guarantee recovery of deleted "
              "files.\n\nCould not export a.jpg: x\nCould not export b.jpg: y");
}

}  // namespace
}  // namespace tidewell
