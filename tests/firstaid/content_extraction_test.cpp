#include "firstaid/content_extraction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "firstaid/archive_diagnosis.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/firstaid_fixtures.h"
#include "firstaid/tool_runs.h"

namespace tidewell {
namespace {

using namespace FileFirstAidEngine;
namespace fs = std::filesystem;

const std::string officeNote =
    "Office package structure may be incomplete. Files inside this folder (such as media, XML, or attachments) are "
    "recovered separately and are not a working Office document.";
const std::string salvageNote =
    "The original archive directory was damaged. Tidewell rebuilt a temporary index and extracted only the entries it "
    "could list safely.";

std::string genericNote(const std::string& extension) {
    return "This is a folder of individually readable contents, not a repaired replacement for the original " +
           extension + " file.";
}

class ContentExtractionTest : public testing::PrivateTemporaryFolderTest {
protected:
    ContentExtractionTest() : PrivateTemporaryFolderTest("TidewellContentRescue-") {}

    FileRepairOutcome extract(const FileRepairDiagnostic& diagnostic,
                              const std::shared_ptr<RepairCancellationToken>& token = nullptr) {
        return extractReadableContents(diagnostic, outputs, token,
                                       [this](RepairProgressStage stage, double fraction, const std::string& line) {
                                           reports.emplace_back(stage, fraction, line);
                                       });
    }
    std::string failure(const FileRepairDiagnostic& diagnostic) {
        try {
            extract(diagnostic);
        } catch (const RepairError& error) {
            return error.what();
        }
        return "no error";
    }
};

TEST_F(ContentExtractionTest, OfficePackageWithoutItsDocumentPart) {
    const auto docx = testing::makeZip(folder / "report.docx", {{"[Content_Types].xml", "<Types/>"},
                                                                {"_rels/.rels", "<Relationships/>"},
                                                                {"word/styles.xml", "<styles/>"},
                                                                {"word/media/image1.png", "png bytes"}});
    const auto diagnostic = diagnose(docx);
    ASSERT_EQ(diagnostic.kind, FileRepairKind::officeDocument);
    ASSERT_TRUE(diagnostic.canExtractReadableContent);
    const auto before = testing::readFile(docx);

    const auto outcome = extract(diagnostic);
    EXPECT_EQ(outcome.outputURL, outputs / "report-recovered-contents");
    EXPECT_EQ(outcome.state, RepairOutcomeState::partial);
    EXPECT_EQ(outcome.exportKind, RepairExportKind::extractedContents);
    EXPECT_EQ(outcome.message, "Extracted 4 readable files into a separate folder.");
    EXPECT_EQ(outcome.warnings, (std::vector<std::string>{genericNote("DOCX"), officeNote}));
    EXPECT_EQ(extractedRelativeFilePaths(outcome.outputURL),
              (std::set<std::string>{"Tidewell-Recovery-Report.txt", "[Content_Types].xml", "_rels/.rels",
                                     "word/media/image1.png", "word/styles.xml"}));
    EXPECT_EQ(testing::readFile(outcome.outputURL / "word/media/image1.png"), "png bytes");
    EXPECT_EQ(testing::readFile(outcome.outputURL / "Tidewell-Recovery-Report.txt"), outcome.report);
    EXPECT_EQ(outcome.report,
              "Tidewell Readable Content Recovery Report\nState: Partially recovered\nSource: report.docx\n"
              "Recovered folder: report-recovered-contents\nReadable files exported: 4\n"
              "This folder is not a repaired replacement for the original file. Open the recovered files "
              "individually and review them before use.\nOriginal file was not modified.\nNotes:\n- " +
                  genericNote("DOCX") + "\n- " + officeNote +
                  "\nRecovered file list:\n- [Content_Types].xml\n- _rels/.rels\n- word/media/image1.png\n"
                  "- word/styles.xml");
    EXPECT_EQ(reports, (decltype(reports){{RepairProgressStage::repairing, 0.56, "Extracting readable contents"},
                                          {RepairProgressStage::verifying, 0.86, "Writing recovered contents"}}));
    EXPECT_EQ(testing::readFile(docx), before);
}

TEST_F(ContentExtractionTest, OneFileIsSingularAndASecondRunGetsItsOwnFolder) {
    const auto zip = testing::makeZip(folder / "notes.zip", {{"notes.txt", "hello"}});
    const auto diagnostic = diagnose(zip);
    const auto first = extract(diagnostic);
    EXPECT_EQ(first.message, "Extracted 1 readable file into a separate folder.");
    EXPECT_EQ(first.warnings, std::vector<std::string>{genericNote("ZIP")});
    const auto second = extract(diagnostic);
    EXPECT_EQ(second.outputURL, outputs / "notes-recovered-contents (2)");
    EXPECT_EQ(testing::readFile(second.outputURL / "notes.txt"), "hello");
    EXPECT_EQ(uniqueRecoveredContentsDirectory(diagnostic, outputs), outputs / "notes-recovered-contents (3)");
}

TEST_F(ContentExtractionTest, ArchiveTruncatedBeforeItsDirectoryIsReadThroughSalvage) {
    const auto intact = testing::makeZip(
        folder / "intact.zip", {{"a.txt", std::string(3000, 'a')}, {"docs/b.txt", "bee"}, {"docs/c.txt", "sea"}});
    const std::string bytes = testing::readFile(intact);
    const auto directory = bytes.find("PK\x01\x02");
    ASSERT_NE(directory, std::string::npos);
    testing::truncateCopy(intact, folder / "cut.zip", directory);
    const auto diagnostic = diagnose(folder / "cut.zip");
    ASSERT_TRUE(diagnostic.canExtractReadableContent);
    EXPECT_FALSE(archiveSafetyAssessment(folder / "cut.zip", logicalFileByteSize(folder / "cut.zip")).isSafe());

    const auto outcome = extract(diagnostic);
    EXPECT_EQ(outcome.message, "Extracted 3 readable files into a separate folder.");
    EXPECT_EQ(outcome.warnings, (std::vector<std::string>{genericNote("ZIP"), salvageNote}));
    EXPECT_EQ(testing::readFile(outcome.outputURL / "docs/c.txt"), "sea");
    EXPECT_EQ(testing::readFile(outcome.outputURL / "a.txt"), std::string(3000, 'a'));
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[0],
              std::make_tuple(RepairProgressStage::repairing, 0.2, "Rebuilding a safe temporary archive index"));
}

TEST_F(ContentExtractionTest, TraversalEntryFailsThroughTheSalvageStep) {
    const auto zip = testing::makeZip(folder / "evil.zip", {{"xyzevil", "payload"}, {"fine.txt", "ok"}});
    testing::renameEntry(zip, "xyzevil", "../evil");
    const auto diagnostic = diagnose(zip);
    ASSERT_TRUE(diagnostic.canExtractReadableContent);
    EXPECT_EQ(failure(diagnostic), "Archive entry is unsafe and will not be extracted: ../evil");
    EXPECT_TRUE(fs::is_empty(outputs));
    EXPECT_FALSE(fs::exists(folder / "evil"));

    HiddenToolsForTesting hidden({"zip"});
    {
        testing::ScopedEnvironment macos{"TIDEWELL_LAYOUT", "macos"};
        EXPECT_EQ(failure(diagnostic), "macOS zip is unavailable for archive salvage.");
    }
    testing::ScopedEnvironment freedesktop{"TIDEWELL_LAYOUT", "freedesktop"};
    EXPECT_EQ(failure(diagnostic), "The zip tool is unavailable for archive salvage.");
}

TEST_F(ContentExtractionTest, RefusalsBeforeAnythingIsWritten) {
    FileRepairDiagnostic pdf;
    pdf.sourceURL = folder / "a.pdf";
    pdf.kind = FileRepairKind::pdfDocument;
    pdf.canExtractReadableContent = true;
    EXPECT_EQ(failure(pdf), "Readable-content extraction is currently available for ZIP, APK, and Office packages.");

    FileRepairDiagnostic bare;
    bare.sourceURL = testing::makeZip(folder / "bare.zip", {{"a.txt", "a"}});
    bare.kind = FileRepairKind::zipArchive;
    EXPECT_EQ(failure(bare), "Tidewell could not find enough ZIP structure to safely look for readable contents.");

    bare.canExtractReadableContent = true;
    auto token = std::make_shared<RepairCancellationToken>();
    token->cancel();
    EXPECT_THROW(extract(bare, token), CommandRunner::CancellationError);
    EXPECT_TRUE(fs::is_empty(outputs));
    EXPECT_TRUE(reports.empty());
}

TEST_F(ContentExtractionTest, ReadOnlyFoldersInTheArchiveComeOutUsable) {
    testing::writeFile(folder / "tree/locked/inner/f.txt", "locked");
    testing::writeFile(folder / "tree/shut/g.txt", "shut");
    fs::permissions(folder / "tree/locked", fs::perms::owner_read | fs::perms::owner_exec);
    fs::permissions(folder / "tree/shut", fs::perms::none);
    const auto output = CommandRunner::run("/usr/bin/zip", {"-q", "-r", (folder / "ro.zip").string(), "locked", "shut"},
                                           folder / "tree");
    ASSERT_EQ(output.status, 0) << output.combined();
    fs::permissions(folder / "tree/locked", fs::perms::owner_all);
    fs::permissions(folder / "tree/shut", fs::perms::owner_all);

    const auto outcome = extract(diagnose(folder / "ro.zip"));
    EXPECT_EQ(outcome.message, "Extracted 2 readable files into a separate folder.");
    for (const char* name : {"locked", "locked/inner", "shut"}) {
        const auto mode = fs::status(outcome.outputURL / name).permissions();
        EXPECT_EQ(mode & fs::perms::owner_all, fs::perms::owner_all) << name;
    }
    EXPECT_EQ(testing::readFile(outcome.outputURL / "shut/g.txt"), "shut");
}

TEST_F(ContentExtractionTest, ReportListsTheFirst500PathsInOrder) {
    std::set<std::string> files;
    for (int number = 0; number < 600; ++number) files.insert("f" + std::to_string(1000 + number) + ".txt");
    const std::string report =
        contentExtractionReport(folder / "big.zip", outputs / "big-recovered-contents", files, {});
    const auto list = report.substr(report.find("Recovered file list:\n"));
    EXPECT_EQ(report.find("Notes:"), std::string::npos);
    EXPECT_NE(report.find("\nReadable files exported: 600\n"), std::string::npos);
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 501);
    EXPECT_NE(list.find("\n- f1000.txt\n- f1001.txt\n"), std::string::npos);
    EXPECT_TRUE(list.ends_with("\n- f1499.txt\n- \u2026 100 additional files"));
}

TEST_F(ContentExtractionTest, SixHundredExtractedFilesAreCountedBeyondTheList) {
    std::vector<std::pair<std::string, std::string>> files;
    for (int number = 0; number < 600; ++number) files.emplace_back("d/" + std::to_string(number) + ".txt", "x");
    const auto outcome = extract(diagnose(testing::makeZip(folder / "many.zip", files)));
    EXPECT_EQ(outcome.message, "Extracted 600 readable files into a separate folder.");
    EXPECT_TRUE(outcome.report.ends_with("\n- d/548.txt\n- \u2026 100 additional files"));
    EXPECT_EQ(testing::readFile(outcome.outputURL / "Tidewell-Recovery-Report.txt"), outcome.report);
}

TEST_F(ContentExtractionTest, RelativePathsAreRegularFilesOnly) {
    testing::writeFile(folder / "tree/a.txt", "a");
    testing::writeFile(folder / "tree/sub/deeper/b.txt", "b");
    fs::create_directories(folder / "tree/empty");
    fs::create_symlink("a.txt", folder / "tree/link");
    EXPECT_EQ(extractedRelativeFilePaths(folder / "tree"), (std::set<std::string>{"a.txt", "sub/deeper/b.txt"}));
    EXPECT_TRUE(extractedRelativeFilePaths(folder / "missing").empty());
}

}  // namespace
}  // namespace tidewell
