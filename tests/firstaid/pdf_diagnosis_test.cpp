#include <gtest/gtest.h>

#include "firstaid/diagnosis_lines.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/firstaid_fixtures.h"
#include "support/pdf_fixture.h"

namespace tidewell {
namespace {

using namespace FileFirstAidEngine;
using testing::FindingLine;
using testing::findingLines;

class PDFDiagnosisTest : public ::testing::Test {
protected:
    void SetUp() override { testing::writeTextPDF(folder / "intact.pdf", {"Page one", "Page two"}); }
    std::string intact() const { return testing::readFile(folder / "intact.pdf"); }

    testing::TemporaryFolder folder;
    testing::ShippedTools tools;
    testing::ScopedEnvironment macos{"TIDEWELL_LAYOUT", "macos"};
};

TEST_F(PDFDiagnosisTest, IntactDocument) {
    const auto diagnostic = diagnose(folder / "intact.pdf");
    EXPECT_EQ(diagnostic.kind, FileRepairKind::pdfDocument);
    EXPECT_EQ(findingLines(diagnostic),
              (std::vector<FindingLine>{
                  {"PDF header", "Header is at the start of the file.", RepairFindingLevel::ok},
                  {"EOF marker", "EOF marker is present near the end.", RepairFindingLevel::ok},
                  {"xref / trailer", "Cross-reference or trailer markers were found.", RepairFindingLevel::ok},
                  {"PDFKit readable pages", "2 pages can be opened by macOS PDFKit.", RepairFindingLevel::ok},
              }));
    EXPECT_TRUE(diagnostic.canAttemptRepair);
    EXPECT_FALSE(diagnostic.canExtractReadableContent);
    EXPECT_EQ(diagnostic.recommendedAction, "Export a rewritten PDF copy. The original file will not be changed.");
    EXPECT_EQ(testing::previewLines(diagnostic),
              (std::vector<std::string>{"Pages | 2 readable pages | doc.text",
                                        "Rewrite tool | qpdf available | wrench.and.screwdriver"}));
}

TEST_F(PDFDiagnosisTest, LeadingJunkAndMissingEOF) {
    testing::writeFile(folder / "junk.pdf", "GARBAGE BYTES\n" + intact());
    EXPECT_EQ(findingLines(diagnose(folder / "junk.pdf"))[0],
              (FindingLine{"PDF header", "Header exists after leading bytes; a rewrite may normalize it.",
                           RepairFindingLevel::ok}));

    std::string bytes = intact();
    bytes.erase(bytes.rfind("%%EOF"));
    testing::writeFile(folder / "open-ended.pdf", bytes);
    EXPECT_EQ(
        findingLines(diagnose(folder / "open-ended.pdf"))[1],
        (FindingLine{"EOF marker", "EOF marker is missing or outside the sampled tail.", RepairFindingLevel::warning}));
}

TEST_F(PDFDiagnosisTest, BrokenXrefStillOpens) {
    std::string bytes = intact();
    const auto table = bytes.find("xref\n0 ");
    bytes.replace(bytes.find(" n \n", table), 4, " x \n");
    testing::writeFile(folder / "xref.pdf", bytes);
    const auto diagnostic = diagnose(folder / "xref.pdf");
    EXPECT_EQ(findingLines(diagnostic)[3].detail, "2 pages can be opened by macOS PDFKit.");
    EXPECT_TRUE(diagnostic.canAttemptRepair);
}

TEST_F(PDFDiagnosisTest, TruncatedDocument) {
    testing::truncateCopy(folder / "intact.pdf", folder / "cut.pdf", 300);
    auto diagnostic = diagnose(folder / "cut.pdf");
    EXPECT_EQ(
        findingLines(diagnostic),
        (std::vector<FindingLine>{
            {"PDF header", "Header is at the start of the file.", RepairFindingLevel::ok},
            {"EOF marker", "EOF marker is missing or outside the sampled tail.", RepairFindingLevel::warning},
            {"xref / trailer", "No xref or trailer marker was found in the sampled tail.", RepairFindingLevel::warning},
            {"PDFKit readable pages", "macOS PDFKit could not open this PDF.", RepairFindingLevel::warning},
        }));
    EXPECT_TRUE(diagnostic.canAttemptRepair);  // qpdf is shipped

    testing::ShippedTools withoutQpdf({"ffmpeg", "ffprobe"});
    diagnostic = diagnose(folder / "cut.pdf");
    EXPECT_FALSE(diagnostic.canAttemptRepair);
    EXPECT_EQ(diagnostic.recommendedAction, "Install qpdf or choose a PDF that macOS can still open partially.");
    EXPECT_EQ(testing::previewLines(diagnostic),
              (std::vector<std::string>{"Pages | No readable PDFKit pages | doc.text",
                                        "Rewrite tool | PDFKit fallback only | wrench.and.screwdriver"}));
}

TEST_F(PDFDiagnosisTest, PopplerAndLibqpdfAreNamedUnderTheFreedesktopLayout) {
    testing::ScopedEnvironment freedesktop{"TIDEWELL_LAYOUT", "freedesktop"};
    EXPECT_EQ(findingLines(diagnose(folder / "intact.pdf"))[3],
              (FindingLine{"Poppler readable pages", "2 pages can be opened by Poppler.", RepairFindingLevel::ok}));

    testing::truncateCopy(folder / "intact.pdf", folder / "cut.pdf", 300);
    testing::ShippedTools withoutQpdf({"ffmpeg", "ffprobe"});
    const auto diagnostic = diagnose(folder / "cut.pdf");
    EXPECT_EQ(findingLines(diagnostic)[3],
              (FindingLine{"Poppler readable pages", "Poppler could not open this PDF.", RepairFindingLevel::warning}));
    EXPECT_EQ(diagnostic.recommendedAction, "Install qpdf or choose a PDF that Poppler can still open partially.");
    EXPECT_EQ(testing::previewLines(diagnostic),
              (std::vector<std::string>{"Pages | No pages Poppler can read | doc.text",
                                        "Rewrite tool | libqpdf fallback only | wrench.and.screwdriver"}));
}

TEST_F(PDFDiagnosisTest, HeaderMissingFromTheHead) {
    testing::writeFile(folder / "late.pdf", std::string(5000, ' ') + intact());
    EXPECT_EQ(findingLines(diagnose(folder / "late.pdf"))[0],
              (FindingLine{"PDF header", "No PDF header was found in the first sample.", RepairFindingLevel::failed}));
}

}  // namespace
}  // namespace tidewell
