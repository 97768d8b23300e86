#include "firstaid/repair_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "firstaid/archive_diagnosis.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/firstaid_fixtures.h"
#include "firstaid/media_container.h"
#include "firstaid/repair_exporters.h"
#include "firstaid/tool_runs.h"
#include "support/pdf_fixture.h"

namespace tidewell {
namespace {

using namespace FileFirstAidEngine;
namespace fs = std::filesystem;

const std::string officeNote =
    "Office files are rebuilt from readable ZIP package entries. Open the copy in Office/Keynote/Pages to verify "
    "content.";
const std::string pdfRendererNote =
    "PDFKit rewrites pages macOS can read. Verify forms, annotations, and embedded attachments in the exported copy.";

FileRepairDiagnostic diagnosticOf(const fs::path& source, FileRepairKind kind) {
    FileRepairDiagnostic diagnostic;
    diagnostic.sourceURL = source;
    diagnostic.kind = kind;
    return diagnostic;
}

class RepairExportTest : public testing::PrivateTemporaryFolderTest {
protected:
    RepairExportTest() : PrivateTemporaryFolderTest("TidewellRepair-") {}

    // Repairs into the unique output place and checks that the source is unchanged.
    FileRepairOutcome repairFile(const fs::path& source, const std::shared_ptr<RepairCancellationToken>& token = {},
                                 const RepairProgress& extra = {}) {
        const auto diagnostic = diagnose(source);
        const std::string before = testing::readFile(source);
        const auto output = uniqueOutputURL(diagnostic, outputs);
        auto progress = [&](RepairProgressStage stage, double fraction, const std::string& line) {
            reports.emplace_back(stage, fraction, line);
            if (extra) extra(stage, fraction, line);
        };
        struct SourceCheck {
            const fs::path& source;
            const std::string& before;
            ~SourceCheck() { EXPECT_EQ(testing::readFile(source), before); }
        } check{source, before};
        return repair(diagnostic, output, token, progress);
    }
    std::string failure(const fs::path& source) {
        try {
            repairFile(source);
        } catch (const std::exception& error) {
            return error.what();
        }
        return "no error";
    }
};

TEST(RepairNamingTest, SuggestedNamesAndUniquePlaces) {
    auto image = [](const std::string& name) {
        return suggestedOutputName(diagnosticOf("/in/" + name, FileRepairKind::imageFile));
    };
    EXPECT_EQ(image("photo.HEIC"), "photo-repaired.png");
    EXPECT_EQ(image("photo.heic"), "photo-repaired.png");
    EXPECT_EQ(image("anim.Gif"), "anim-repaired.png");
    EXPECT_EQ(image("scan.TIFF"), "scan-repaired.TIFF");
    EXPECT_EQ(image("README"), "README-repaired");
    EXPECT_EQ(suggestedOutputName(diagnosticOf("/in/a.b.ZIP", FileRepairKind::zipArchive)), "a.b-repaired.ZIP");

    testing::TemporaryFolder folder;
    const auto pdf = diagnosticOf("/in/doc.pdf", FileRepairKind::pdfDocument);
    EXPECT_EQ(uniqueOutputURL(pdf, folder.path()), folder / "doc-repaired.pdf");
    testing::writeFile(folder / "doc-repaired.pdf", "taken");
    testing::writeFile(folder / "doc-repaired (2).pdf", "taken");
    EXPECT_EQ(uniqueOutputURL(pdf, folder.path()), folder / "doc-repaired (3).pdf");
    testing::writeFile(folder / "README-repaired", "taken");
    EXPECT_EQ(uniqueOutputURL(diagnosticOf("/in/README", FileRepairKind::imageFile), folder.path()),
              folder / "README-repaired (2)");
}

TEST(RepairReportTest, LinesInOrder) {
    testing::TemporaryFolder folder;
    testing::writeFile(folder / "a.zip", "");
    EXPECT_EQ(
        diagnosticReport(folder / "a.zip", std::nullopt, RepairOutcomeState::failed, {}),
        "Tidewell File First Aid Report\nState: Could not repair\nSource: a.zip\nSource size: 0 B\nWarnings: none\n"
        "Original file was not overwritten.");
    testing::writeFile(folder / "b.zip", "");
    EXPECT_EQ(diagnosticReport(folder / "a.zip", folder / "b.zip", RepairOutcomeState::partial, {"one", "two"}),
              "Tidewell File First Aid Report\nState: Partially recovered\nSource: a.zip\nSource size: 0 B\n"
              "Output: b.zip\nOutput size: 0 B\nWarnings:\n- one\n- two\nOriginal file was not overwritten.");
}

TEST(RepairSkippedEntriesTest, CountsPluralAndFirstFiveSorted) {
    const std::vector<std::string> listed{"d/", "h", "g", "f", "e", "d/c", "b", "a", "kept"};
    EXPECT_EQ(skippedEntriesWarning(listed, {"kept"}), "Skipped 7 unreadable archive entries: a, b, d/c, e, f \u2026");
    EXPECT_EQ(skippedEntriesWarning({"x", "kept"}, {"kept"}), "Skipped 1 unreadable archive entry: x");
    EXPECT_EQ(skippedEntriesWarning({"dir/", "kept"}, {"kept"}), std::nullopt);
}

TEST_F(RepairExportTest, ZipRebuiltBesideAnExistingCopyWithoutTouchingIt) {
    const auto zip = testing::makeZip(folder / "photos.zip", {{"a.txt", "a"}, {"docs/b.txt", "bee"}, {"docs/c", "c"}});
    testing::writeFile(outputs / "photos-repaired.zip", "earlier export");
    const auto outcome = repairFile(zip);
    EXPECT_EQ(outcome.outputURL, outputs / "photos-repaired (2).zip");
    EXPECT_EQ(testing::readFile(outputs / "photos-repaired.zip"), "earlier export");
    EXPECT_EQ(outcome.state, RepairOutcomeState::repaired);
    EXPECT_EQ(outcome.message, "Rebuilt 2 readable archive entries into a new copy.");
    EXPECT_TRUE(outcome.warnings.empty());
    EXPECT_NE(outcome.report.find("\nOutput: photos-repaired (2).zip\n"), std::string::npos);
    EXPECT_NE(outcome.report.find("\nWarnings: none\n"), std::string::npos);
    auto entries = readableArchiveEntries(outcome.outputURL);
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string>{"a.txt", "docs/", "docs/b.txt", "docs/c"}));
    EXPECT_EQ(reports, (decltype(reports){{RepairProgressStage::repairing, 0.08, "Preparing export"},
                                          {RepairProgressStage::repairing, 0.25, "Extracting readable archive entries"},
                                          {RepairProgressStage::repairing, 0.58, "Rebuilding archive copy"},
                                          {RepairProgressStage::verifying, 0.86, "Verifying exported copy"}}));
}

TEST_F(RepairExportTest, OfficePackageCarriesItsNote) {
    const auto docx = testing::makeZip(folder / "memo.docx", {{"[Content_Types].xml", "<Types/>"},
                                                              {"_rels/.rels", "<Relationships/>"},
                                                              {"word/document.xml", "<document/>"}});
    const auto outcome = repairFile(docx);
    EXPECT_EQ(outcome.outputURL, outputs / "memo-repaired.docx");
    EXPECT_EQ(outcome.state, RepairOutcomeState::partial);
    EXPECT_EQ(outcome.message, "Rebuilt 3 readable archive entries into a new copy.");
    EXPECT_EQ(outcome.warnings, std::vector<std::string>{officeNote});
}

// Rewrites each central-directory record's local-header offset to point past the file:
// the entry list stays readable, extraction finds nothing, zip -FF finds the local entries.
void misdirectLocalHeaders(const fs::path& archive, bool alsoBreakLocalHeaders) {
    std::string bytes = testing::readFile(archive);
    for (auto at = bytes.find("PK\x01\x02"); at != std::string::npos; at = bytes.find("PK\x01\x02", at + 4)) {
        bytes[at + 44] = '\x01';  // offset += 64 KiB
    }
    for (auto at = bytes.find("PK\x03\x04"); alsoBreakLocalHeaders && at != std::string::npos;
         at = bytes.find("PK\x03\x04", at + 4)) {
        bytes.replace(at, 2, "XX");
    }
    testing::writeFile(archive, bytes);
}

TEST_F(RepairExportTest, EntriesUnzipCannotReachAreReportedSkipped) {
    // unzip finds the second entry again by its offset error; the first stays lost.
    const auto zip = testing::makeZip(folder / "half.zip", {{"a.txt", "hello"}, {"b.txt", "world"}});
    misdirectLocalHeaders(zip, false);
    const auto outcome = repairFile(zip);
    EXPECT_EQ(outcome.state, RepairOutcomeState::partial);
    EXPECT_EQ(outcome.message, "Rebuilt 1 readable archive entries into a new copy.");
    EXPECT_EQ(outcome.warnings, (std::vector<std::string>{"file #1:  bad zipfile offset (lseek):  65536",
                                                          "Skipped 1 unreadable archive entry: a.txt"}));
    EXPECT_EQ(readableArchiveEntries(outcome.outputURL), std::vector<std::string>{"b.txt"});
}

TEST_F(RepairExportTest, NothingExtractedGoesThroughSalvage) {
    const auto zip = testing::makeZip(folder / "lost.zip", {{"a.txt", "hello"}});
    misdirectLocalHeaders(zip, false);
    const auto outcome = repairFile(zip);
    EXPECT_EQ(outcome.state, RepairOutcomeState::partial);
    EXPECT_EQ(outcome.message, "Salvaged a separate archive copy from readable ZIP entries.");
    EXPECT_EQ(outcome.warnings,
              (std::vector<std::string>{"The original ZIP directory could not be read. Tidewell rebuilt a separate "
                                        "archive from entries zip could salvage.",
                                        "Review the exported copy before relying on every file inside it."}));
    EXPECT_EQ(readableArchiveEntries(outcome.outputURL), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(std::get<2>(reports[2]), "Salvaging the archive directory");
    EXPECT_EQ(std::get<2>(reports[3]), "Verifying salvaged archive copy");
}

TEST_F(RepairExportTest, SalvageOfNothingFailsValidationAndLeavesNoOutput) {
    const auto zip = testing::makeZip(folder / "gone.zip", {{"a.txt", "hello"}});
    misdirectLocalHeaders(zip, true);
    // zip -FF succeeds with an empty archive, which the archive test rejects.
    const std::string message = failure(zip);
    EXPECT_NE(message.find("zipfile is empty"), std::string::npos) << message;
    EXPECT_TRUE(fs::is_empty(outputs));
}

TEST_F(RepairExportTest, ArchiveRefusals) {
    const auto intact = testing::makeZip(folder / "intact.zip", {{"a.txt", std::string(3000, 'a')}});
    const auto directory = testing::readFile(intact).find("PK\x01\x02");
    testing::truncateCopy(intact, folder / "cut.zip", directory);
    EXPECT_EQ(failure(folder / "cut.zip"),
              "No readable archive entry list is available, so Tidewell will not extract this archive.");
    {
        HiddenToolsForTesting hidden({"zip"});
        {
            testing::ScopedEnvironment freedesktop{"TIDEWELL_LAYOUT", "freedesktop"};
            EXPECT_EQ(failure(intact), "The zip/unzip tools were not found.");
        }
        testing::ScopedEnvironment macos{"TIDEWELL_LAYOUT", "macos"};
        EXPECT_EQ(failure(intact), "macOS zip/unzip tools were not found.");
    }
    EXPECT_TRUE(fs::is_empty(outputs));
}

TEST_F(RepairExportTest, PdfRewrittenByQpdfIsRepaired) {
    testing::writeTextPDF(folder / "paper.pdf", {"first page", "second page"});
    const auto outcome = repairFile(folder / "paper.pdf");
    EXPECT_EQ(outcome.state, RepairOutcomeState::repaired);
    EXPECT_EQ(outcome.message, "qpdf wrote a repaired PDF copy.");
    EXPECT_NE(outcome.report.find("\nWarnings: none\n"), std::string::npos) << outcome.report;
    EXPECT_EQ(std::get<2>(reports[1]), "Rewriting PDF with qpdf");
}

TEST_F(RepairExportTest, PdfRendererFallbackWithoutQpdf) {
    testing::writeTextPDF(folder / "paper.pdf", {"first page", "second page"});
    HiddenToolsForTesting hidden({"qpdf"});
    testing::writeFile(folder / "junk.pdf", "%PDF-1.4\nnothing here");
    {
        testing::ScopedEnvironment macos{"TIDEWELL_LAYOUT", "macos"};
        const auto outcome = repairFile(folder / "paper.pdf");
        EXPECT_EQ(outcome.state, RepairOutcomeState::partial);
        EXPECT_EQ(outcome.message, "PDFKit exported 2 readable pages into a new copy.");
        EXPECT_EQ(outcome.warnings, std::vector<std::string>{pdfRendererNote});
        EXPECT_EQ(reports[1], std::make_tuple(RepairProgressStage::repairing, 0.46, "Exporting readable PDF pages"));
        EXPECT_EQ(failure(folder / "junk.pdf"), "macOS PDFKit could not open readable pages.");
    }
    testing::ScopedEnvironment freedesktop{"TIDEWELL_LAYOUT", "freedesktop"};
    const auto outcome = repairFile(folder / "paper.pdf");
    EXPECT_EQ(outcome.state, RepairOutcomeState::partial);
    EXPECT_EQ(outcome.message, "libqpdf exported 2 readable pages into a new copy.");
    EXPECT_EQ(outcome.warnings,
              std::vector<std::string>{"libqpdf rewrites the pages Poppler can read. Verify forms, "
                                       "annotations, and embedded attachments in the exported copy."});
    EXPECT_EQ(failure(folder / "junk.pdf"), "Poppler could not open readable pages.");
}

std::vector<std::string> atomTypes(const fs::path& file) {
    std::vector<std::string> types;
    for (const auto& atom : parseTopLevelAtoms(file)) types.push_back(atom.type);
    return types;
}

std::ptrdiff_t positionOf(const std::vector<std::string>& types, const std::string& type) {
    return std::find(types.begin(), types.end(), type) - types.begin();
}

TEST_F(RepairExportTest, VideoRemuxMovesTheIndexToTheFront) {
    const auto video = testing::makeVideo(folder / "clip.mp4");
    const auto before = atomTypes(video);
    ASSERT_GT(positionOf(before, "moov"), positionOf(before, "mdat"));
    const auto outcome = repairFile(video);
    EXPECT_EQ(outcome.state, RepairOutcomeState::partial);
    EXPECT_EQ(outcome.message, "ffmpeg exported a stream-copy repaired video.");
    EXPECT_EQ(outcome.warnings.front(),
              "This repairs container metadata only. It does not recreate missing frames or missing moov data.");
    const auto after = atomTypes(outcome.outputURL);
    EXPECT_LT(positionOf(after, "moov"), positionOf(after, "mdat"));
}

TEST_F(RepairExportTest, CancellationWhileFfmpegRuns) {
    const auto video = testing::makeVideo(folder / "clip.mp4");
    auto token = std::make_shared<RepairCancellationToken>();
    auto cancelOnRemux = [&](RepairProgressStage, double, const std::string& line) {
        if (line == "Remuxing video container") token->cancel();
    };
    EXPECT_THROW(repairFile(video, token, cancelOnRemux), CommandRunner::CancellationError);
    EXPECT_THROW(repairFile(video, token), CommandRunner::CancellationError);
    HiddenToolsForTesting hidden({"ffmpeg"});
    EXPECT_EQ(failure(video), "ffmpeg is required for MP4/MOV repair export in this build.");
}

TEST_F(RepairExportTest, ImagesAreReencodedByExtension) {
    ASSERT_TRUE(testing::runFFmpeg(
        {"-f", "lavfi", "-i", "testsrc=size=64x48", "-frames:v", "1", (folder / "photo.jpg").string()}));
    ASSERT_TRUE(testing::runFFmpeg({"-f", "lavfi", "-i", "testsrc=size=32x24", "-frames:v", "1", "-f", "image2", "-c:v",
                                    "tiff", (folder / "scan.TIFF").string()}));
    ASSERT_TRUE(testing::runFFmpeg(
        {"-f", "lavfi", "-i", "testsrc=size=32x24", "-frames:v", "1", (folder / "anim.gif").string()}));
    const auto jpeg = repairFile(folder / "photo.jpg");
    EXPECT_EQ(jpeg.state, RepairOutcomeState::repaired);
    EXPECT_EQ(jpeg.message, "Exported a normalized image copy.");
    EXPECT_TRUE(testing::readFile(jpeg.outputURL).starts_with("\xFF\xD8\xFF"));
    const auto tiff = repairFile(folder / "scan.TIFF");
    EXPECT_EQ(tiff.outputURL, outputs / "scan-repaired.TIFF");
    EXPECT_TRUE(testing::readFile(tiff.outputURL).starts_with(std::string("II*\0", 4)));
    const auto gif = repairFile(folder / "anim.gif");
    EXPECT_EQ(gif.outputURL, outputs / "anim-repaired.png");
    EXPECT_TRUE(testing::readFile(gif.outputURL).starts_with("\x89PNG"));

    testing::truncateCopy(folder / "photo.jpg", folder / "cut.jpg", fs::file_size(folder / "photo.jpg") / 2);
    {
        testing::ScopedEnvironment freedesktop{"TIDEWELL_LAYOUT", "freedesktop"};
        EXPECT_EQ(failure(folder / "cut.jpg"), "The image decoders could not read pixels from this image.");
    }
    {
        testing::ScopedEnvironment macos{"TIDEWELL_LAYOUT", "macos"};
        EXPECT_EQ(failure(folder / "cut.jpg"), "macOS could not decode readable pixels from this image.");
    }
    EXPECT_FALSE(fs::exists(outputs / "cut-repaired.jpg"));
}

}  // namespace
}  // namespace tidewell
