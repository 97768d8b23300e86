#include "firstaid/export_validation.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "firstaid/file_first_aid_engine.h"
#include "firstaid/firstaid_fixtures.h"
#include "firstaid/tool_runs.h"
#include "support/pdf_fixture.h"

namespace tidewell {
namespace {

using namespace FileFirstAidEngine;
using Result = ValidationResult;

class ExportValidationTest : public ::testing::Test {
protected:
    testing::TemporaryFolder folder;
    testing::ShippedTools tools;
};

TEST_F(ExportValidationTest, MissingEmptyAndUnknownOutputs) {
    EXPECT_EQ(validateOutput(folder / "none.zip", FileRepairKind::zipArchive, std::nullopt),
              (Result{false, {"The exported file is missing or empty."}}));
    testing::writeFile(folder / "empty.pdf", "");
    EXPECT_EQ(validateOutput(folder / "empty.pdf", FileRepairKind::pdfDocument, std::nullopt),
              (Result{false, {"The exported file is missing or empty."}}));
    testing::writeFile(folder / "x.bin", "x");
    EXPECT_EQ(validateOutput(folder / "x.bin", FileRepairKind::unknown, std::nullopt),
              (Result{false, {"Unsupported output type."}}));
}

TEST_F(ExportValidationTest, Archives) {
    auto zip = testing::makeZip(folder / "out.zip", {{"a.txt", "a"}});
    EXPECT_EQ(validateOutput(zip, FileRepairKind::zipArchive, std::nullopt), (Result{true, {}}));
    {
        HiddenToolsForTesting hidden({"unzip"});
        EXPECT_EQ(validateOutput(zip, FileRepairKind::zipArchive, std::nullopt),
                  (Result{true, {"Could not run archive validation because unzip is unavailable."}}));
    }
    testing::truncateCopy(zip, folder / "cut.zip", 60);
    const auto cut = validateOutput(folder / "cut.zip", FileRepairKind::zipArchive, std::nullopt);
    EXPECT_FALSE(cut.ok);
    ASSERT_EQ(cut.warnings.size(), 1u);
    EXPECT_NE(cut.warnings[0].find("cannot find zipfile directory"), std::string::npos);
    EXPECT_LE(cut.warnings[0].size(), 420u);
}

TEST_F(ExportValidationTest, RebuiltDocumentWithoutMainPartIsDeleted) {
    auto docx = testing::makeZip(folder / "rebuilt.docx", {{"[Content_Types].xml", "<T/>"}, {"_rels/.rels", "<R/>"}});
    const auto result = validateOutput(docx, FileRepairKind::officeDocument, std::nullopt);
    const std::string message = "The rebuilt Office package is missing required parts: word/document.xml.";
    EXPECT_EQ(result, (Result{false, {message}}));
    try {
        requireValidatedExport(result, docx);
        FAIL() << "accepted";
    } catch (const RepairError& error) {
        EXPECT_EQ(error.errorCase(), RepairError::Case::writeFailed);
        EXPECT_EQ(std::string(error.what()), message);
    }
    EXPECT_FALSE(std::filesystem::exists(docx));

    testing::writeFile(folder / "kept.zip", "x");
    EXPECT_NO_THROW(requireValidatedExport({true, {"warning"}}, folder / "kept.zip"));
    EXPECT_TRUE(std::filesystem::exists(folder / "kept.zip"));
    try {
        requireValidatedExport({false, {}}, folder / "kept.zip");
    } catch (const RepairError& error) {
        EXPECT_EQ(std::string(error.what()), "The exported copy did not pass Tidewell validation.");
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "kept.zip"));
}

TEST_F(ExportValidationTest, PDFsCountTextPagesAndKeepOnlyQpdfFindings) {
    testing::writeTextPDF(folder / "clean.pdf", {"One", "Two"});
    // qpdf's banner on a sound file is not a warning.
    EXPECT_EQ(validateOutput(folder / "clean.pdf", FileRepairKind::pdfDocument, std::nullopt), (Result{true, {}}));

    testing::writeTextPDF(folder / "ten.pdf", {"A", "", "", "B", "", "", "", "C", "", ""});
    EXPECT_EQ(validateOutput(folder / "ten.pdf", FileRepairKind::pdfDocument, std::nullopt),
              (Result{true,
                      {"Only 3 of 10 pages contain readable text. Remaining pages may be image-only or may have lost "
                       "content; review the exported copy visually."}}));

    std::string bytes = testing::readFile(folder / "clean.pdf");
    bytes.replace(bytes.rfind("startxref\n") + 10, 1, "9");
    testing::writeFile(folder / "damaged.pdf", bytes);
    const auto damaged = validateOutput(folder / "damaged.pdf", FileRepairKind::pdfDocument, std::nullopt);
    EXPECT_TRUE(damaged.ok);
    ASSERT_EQ(damaged.warnings.size(), 1u);
    EXPECT_TRUE(damaged.warnings[0].starts_with("WARNING: ")) << damaged.warnings[0];
    EXPECT_EQ(damaged.warnings[0].find("PDF Version"), std::string::npos);

    testing::writeFile(folder / "junk.pdf", "%PDF-1.4\nnothing here\n");
    {
        testing::ScopedEnvironment macos{"TIDEWELL_LAYOUT", "macos"};
        EXPECT_EQ(validateOutput(folder / "junk.pdf", FileRepairKind::pdfDocument, std::nullopt),
                  (Result{false, {"The exported PDF could not be reopened by PDFKit."}}));
    }
    testing::ScopedEnvironment freedesktop{"TIDEWELL_LAYOUT", "freedesktop"};
    EXPECT_EQ(validateOutput(folder / "junk.pdf", FileRepairKind::pdfDocument, std::nullopt),
              (Result{false, {"The exported PDF could not be reopened by Poppler."}}));
}

TEST_F(ExportValidationTest, DurationTolerance) {
    EXPECT_TRUE(durationWithinTolerance(100, 101.9));
    EXPECT_TRUE(durationWithinTolerance(100, 98.0));
    EXPECT_FALSE(durationWithinTolerance(300, 306.5));
    EXPECT_TRUE(durationWithinTolerance(300, 306.0));
}

TEST_F(ExportValidationTest, Videos) {
    const auto source = testing::makeVideo(folder / "source.mp4", {}, 1);
    const auto remux = testing::makeVideo(folder / "remux.mp4", {"-movflags", "+faststart"}, 1);
    EXPECT_EQ(validateOutput(remux, FileRepairKind::videoContainer, source), (Result{true, {}}));
    const auto longer = testing::makeVideo(folder / "longer.mp4", {}, 4);
    EXPECT_EQ(validateOutput(longer, FileRepairKind::videoContainer, source),
              (Result{false, {"The repaired video duration differs too much from the readable source streams."}}));
    EXPECT_EQ(validateOutput(longer, FileRepairKind::videoContainer, std::nullopt), (Result{true, {}}));

    testing::truncateCopy(source, folder / "cut.mp4", std::filesystem::file_size(source) / 2);
    EXPECT_EQ(validateOutput(folder / "cut.mp4", FileRepairKind::videoContainer, source),
              (Result{false, {"The exported video is missing expected moov/mdat atoms."}}));

    testing::ShippedTools withoutProbe({"ffmpeg"});
    EXPECT_EQ(validateOutput(remux, FileRepairKind::videoContainer, source),
              (Result{false, {"The exported video could not be opened by ffprobe with playable streams."}}));
}

TEST_F(ExportValidationTest, Audio) {
    ASSERT_TRUE(testing::runFFmpeg({"-f", "lavfi", "-i", "sine=duration=1", (folder / "a.m4a").string()}));
    ASSERT_TRUE(testing::runFFmpeg({"-f", "lavfi", "-i", "sine=duration=5", (folder / "b.m4a").string()}));
    ASSERT_TRUE(testing::runFFmpeg(
        {"-f", "lavfi", "-i", "testsrc=duration=1:size=32x32", "-c:v", "mpeg4", (folder / "silent.mp4").string()}));
    EXPECT_EQ(validateOutput(folder / "a.m4a", FileRepairKind::audioFile, folder / "a.m4a"), (Result{true, {}}));
    EXPECT_EQ(validateOutput(folder / "b.m4a", FileRepairKind::audioFile, folder / "a.m4a"),
              (Result{false, {"The repaired audio duration differs too much from the readable source stream."}}));
    EXPECT_EQ(validateOutput(folder / "silent.mp4", FileRepairKind::audioFile, std::nullopt),
              (Result{false, {"The exported audio could not be opened by ffprobe with an audio stream."}}));
}

TEST_F(ExportValidationTest, Images) {
    const auto path = folder / "frame.tiff";
    ASSERT_TRUE(testing::runFFmpeg({"-f", "lavfi", "-i", "testsrc=size=32x32", "-frames:v", "1", path.string()}));
    EXPECT_EQ(validateOutput(path, FileRepairKind::imageFile, std::nullopt), (Result{true, {}}));
    testing::truncateCopy(path, folder / "cut.tiff", std::filesystem::file_size(path) / 2);
    {
        testing::ScopedEnvironment macos{"TIDEWELL_LAYOUT", "macos"};
        EXPECT_EQ(validateOutput(folder / "cut.tiff", FileRepairKind::imageFile, std::nullopt),
                  (Result{false, {"The exported image could not be reopened by macOS."}}));
    }
    testing::ScopedEnvironment freedesktop{"TIDEWELL_LAYOUT", "freedesktop"};
    EXPECT_EQ(validateOutput(folder / "cut.tiff", FileRepairKind::imageFile, std::nullopt),
              (Result{false, {"The exported image could not be reopened by the image decoders."}}));
}

std::string treeFailure(const std::filesystem::path& root, std::int64_t limit) {
    try {
        validateExtractedTree(root, limit);
    } catch (const RepairError& error) {
        EXPECT_EQ(error.errorCase(), RepairError::Case::toolFailed);
        return error.what();
    }
    return "passed";
}

void makeSparseFile(const std::filesystem::path& path, std::int64_t size) {
    const int descriptor = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(::ftruncate(descriptor, size), 0);
    ::close(descriptor);
}

TEST_F(ExportValidationTest, ExtractedTreeLinksAndSizeLimit) {
    const auto root = folder / "extracted";
    testing::writeFile(root / "docs/a.txt", "a");
    EXPECT_EQ(treeFailure(root, RepairLimits::maximumExpandedArchiveBytes), "passed");

    makeSparseFile(root / "docs/big.bin", RepairLimits::maximumExpandedArchiveBytes - 1);
    EXPECT_EQ(treeFailure(root, RepairLimits::maximumExpandedArchiveBytes), "passed");  // exactly 8 GiB
    testing::writeFile(root / "one-more.txt", "b");
    EXPECT_EQ(treeFailure(root, RepairLimits::maximumExpandedArchiveBytes),
              "Archive extraction exceeded the safe 8 GB temporary-work limit.");

    const auto linked = folder / "linked";
    testing::writeFile(linked / "deep/target.txt", "t");
    std::filesystem::create_symlink("target.txt", linked / "deep/inside-link");
    EXPECT_EQ(treeFailure(linked, 100), "Archive contains a symbolic link and was not rebuilt.");

    EXPECT_EQ(treeFailure(folder / "never-extracted", 100),
              "Archive extraction could not be checked completely and was not rebuilt.");
}

}  // namespace
}  // namespace tidewell
