#include "firstaid/file_first_aid_engine.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "firstaid/diagnosis_lines.h"
#include "firstaid/firstaid_fixtures.h"

namespace tidewell {
namespace {

using namespace FileFirstAidEngine;

std::string refusal(const std::filesystem::path& path) {
    try {
        diagnose(path);
    } catch (const RepairError& error) {
        EXPECT_EQ(error.errorCase(), RepairError::Case::cannotRead);
        return error.what();
    }
    return "no refusal";
}

TEST(FileFirstAidEngineTest, RefusesFoldersEmptyAndMissingFiles) {
    testing::TemporaryFolder folder;
    EXPECT_EQ(refusal(folder.path()), "Choose a file, not a folder.");
    testing::writeFile(folder / "empty.zip", "");
    EXPECT_EQ(refusal(folder / "empty.zip"), "This file is empty.");
    EXPECT_EQ(refusal(folder / "missing.pdf"), "This file is empty.");
}

TEST(FileFirstAidEngineTest, RefusesASparse60GBFileWithoutReadingIt) {
    testing::TemporaryFolder folder;
    const auto path = folder / "huge.mp4";
    const int descriptor = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(descriptor, 0);
    ASSERT_EQ(::ftruncate(descriptor, 60LL * 1024 * 1024 * 1024), 0);
    ::close(descriptor);
    EXPECT_EQ(refusal(path), "This file is larger than the 50 GB local repair limit.");
}

TEST(FileFirstAidEngineTest, DetectsKindByExtensionThenContent) {
    testing::TemporaryFolder folder;
    testing::writeFile(folder / "report.bin", "%PDF-1.7\nrest");
    testing::writeFile(folder / "clip.dat", std::string("\0\0\0\x18"
                                                        "ftypisom\0\0\0\0",
                                                        16));
    testing::writeFile(folder / "short.dat", std::string("\0\0\0\x18"
                                                         "ftyp",
                                                         8));
    testing::writeFile(folder / "notes.txt", "hello");
    testing::writeFile(folder / "Letter.DOCX", "not even a zip");
    EXPECT_EQ(detectKind(folder / "report.bin"), FileRepairKind::pdfDocument);
    EXPECT_EQ(detectKind(folder / "clip.dat"), FileRepairKind::videoContainer);
    EXPECT_EQ(detectKind(folder / "short.dat"), FileRepairKind::unknown);
    EXPECT_EQ(detectKind(folder / "notes.txt"), FileRepairKind::unknown);
    EXPECT_EQ(detectKind(folder / "Letter.DOCX"), FileRepairKind::officeDocument);
    EXPECT_EQ(detectKind(folder / "nothing.xyz"), FileRepairKind::unknown);
}

TEST(FileFirstAidEngineTest, UnsupportedFileAndToolNotes) {
    testing::TemporaryFolder folder;
    testing::writeFile(folder / "notes.txt", "hello");
    {
        testing::ShippedTools tools({"ffmpeg"});
        const auto diagnostic = diagnose(folder / "notes.txt");
        EXPECT_EQ(diagnostic.kind, FileRepairKind::unknown);
        EXPECT_EQ(diagnostic.sizeBytes, fileByteSize(folder / "notes.txt"));
        EXPECT_EQ(testing::findingLines(diagnostic),
                  (std::vector<testing::FindingLine>{
                      {"Supported formats",
                       "Tidewell diagnoses ZIP, PDF, PPTX, DOCX, XLSX, MP4, MOV, M4V, common images, and common "
                       "audio files. Repair exports are available for archives, readable PDFs, and images; video and "
                       "audio exports require a bundled ffmpeg build.",
                       RepairFindingLevel::info}}));
        EXPECT_FALSE(diagnostic.canAttemptRepair || diagnostic.canExtractReadableContent);
        EXPECT_EQ(diagnostic.recommendedAction, "Choose a supported file type.");
        EXPECT_TRUE(diagnostic.previewItems.empty());
        EXPECT_EQ(diagnostic.toolNotes,
                  (std::vector<std::string>{"qpdf not bundled/installed", "ffmpeg available", "zip/unzip: available"}));
    }
    // The system ffmpeg outside the resource folder does not count.
    testing::TemporaryFolder emptyResources;
    testing::ScopedEnvironment resources("TIDEWELL_RESOURCE_DIR", emptyResources.path().string());
    EXPECT_EQ(toolNotes()[1], "ffmpeg not bundled/installed");
}

TEST(FileFirstAidEngineTest, SizesOnDisk) {
    testing::TemporaryFolder folder;
    testing::writeFile(folder / "a.bin", std::string(5000, 'a'));
    EXPECT_EQ(logicalFileByteSize(folder / "a.bin"), 5000);
    EXPECT_GE(fileByteSize(folder / "a.bin"), 5000);
    EXPECT_EQ(fileByteSize(folder / "missing"), 0);
    EXPECT_EQ(logicalFileByteSize(folder / "missing"), 0);
}

}  // namespace
}  // namespace tidewell
