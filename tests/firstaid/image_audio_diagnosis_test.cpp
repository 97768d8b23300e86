#include <gtest/gtest.h>

#include "firstaid/diagnosis_lines.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/firstaid_fixtures.h"

namespace tidewell {
namespace {

using namespace FileFirstAidEngine;
using testing::FindingLine;
using testing::findingLines;

class ImageDiagnosisTest : public ::testing::TestWithParam<std::string> {
protected:
    testing::TemporaryFolder folder;
    testing::ShippedTools tools;
    testing::ScopedEnvironment macos{"TIDEWELL_LAYOUT", "macos"};
};

TEST_P(ImageDiagnosisTest, IntactAndTruncatedImages) {
    const std::string extension = GetParam();
    const auto path = folder / ("frame." + extension);
    ASSERT_TRUE(testing::runFFmpeg({"-f", "lavfi", "-i", "testsrc=size=48x32", "-frames:v", "1", path.string()}));
    auto diagnostic = diagnose(path);
    EXPECT_EQ(diagnostic.kind, FileRepairKind::imageFile);
    EXPECT_EQ(findingLines(diagnostic),
              (std::vector<FindingLine>{
                  {"Image decoder", "macOS can decode this image.", RepairFindingLevel::ok},
                  {"Pixel preview", "48 x 32 px", RepairFindingLevel::ok},
                  {"Safe export", "Tidewell can export a normalized image copy.", RepairFindingLevel::ok},
              }));
    EXPECT_TRUE(diagnostic.canAttemptRepair);
    EXPECT_EQ(diagnostic.recommendedAction, "Export a normalized image copy. The original file will not be changed.");
    const std::string exportDetail =
        extension == "gif" ? "Repaired copy exports as PNG." : "Repaired copy keeps a standard image format.";
    EXPECT_EQ(testing::previewLines(diagnostic),
              (std::vector<std::string>{"Image | 48 x 32 px | photo",
                                        "Export | " + exportDetail + " | square.and.arrow.down"}));

    const auto cut = folder / ("cut." + extension);
    testing::truncateCopy(path, cut, std::filesystem::file_size(path) * 2 / 3);
    diagnostic = diagnose(cut);
    EXPECT_EQ(findingLines(diagnostic),
              (std::vector<FindingLine>{
                  {"Image decoder", "macOS could not decode readable pixels.", RepairFindingLevel::warning},
                  {"Pixel preview", "No readable image dimensions.", RepairFindingLevel::warning},
                  {"Safe export", "No safe image export path is available.", RepairFindingLevel::failed},
              }));
    EXPECT_FALSE(diagnostic.canAttemptRepair);
    EXPECT_EQ(diagnostic.recommendedAction, "This image cannot be decoded enough to export a safe copy.");
}

INSTANTIATE_TEST_SUITE_P(Formats, ImageDiagnosisTest, ::testing::Values("jpg", "jpeg", "png", "gif", "tiff"));

TEST(ImageDecoderFindingTest, NamesTheImageDecodersUnderTheFreedesktopLayout) {
    testing::TemporaryFolder folder;
    testing::ShippedTools tools;
    testing::ScopedEnvironment freedesktop{"TIDEWELL_LAYOUT", "freedesktop"};
    const auto path = folder / "frame.png";
    ASSERT_TRUE(testing::runFFmpeg({"-f", "lavfi", "-i", "testsrc=size=48x32", "-frames:v", "1", path.string()}));
    EXPECT_EQ(findingLines(diagnose(path))[0],
              (FindingLine{"Image decoder", "The image decoders can read this image.", RepairFindingLevel::ok}));
    testing::truncateCopy(path, folder / "cut.png", std::filesystem::file_size(path) * 2 / 3);
    EXPECT_EQ(
        findingLines(diagnose(folder / "cut.png"))[0],
        (FindingLine{"Image decoder", "The image decoders could not read its pixels.", RepairFindingLevel::warning}));
}

class AudioDiagnosisTest : public ::testing::TestWithParam<std::string> {};

TEST_P(AudioDiagnosisTest, DependsOnShippedFFmpeg) {
    testing::TemporaryFolder folder;
    const auto path = folder / ("tone." + GetParam());
    ASSERT_TRUE(testing::runFFmpeg({"-f", "lavfi", "-i", "sine=duration=1", path.string()}));
    const std::string upper = GetParam() == "m4a" ? "M4A" : GetParam() == "mp3" ? "MP3" : "WAV";
    {
        testing::ShippedTools tools;
        const auto diagnostic = diagnose(path);
        EXPECT_EQ(diagnostic.kind, FileRepairKind::audioFile);
        EXPECT_EQ(findingLines(diagnostic),
                  (std::vector<FindingLine>{
                      {"Audio type", upper + " file selected.", RepairFindingLevel::info},
                      {"ffmpeg remux", "ffmpeg is available for stream-copy audio repair.", RepairFindingLevel::ok},
                  }));
        EXPECT_TRUE(diagnostic.canAttemptRepair);
        EXPECT_EQ(diagnostic.recommendedAction, "Export a remuxed audio copy without changing the original.");
        EXPECT_EQ(testing::previewLines(diagnostic),
                  (std::vector<std::string>{"Audio container | " + upper + " | waveform",
                                            "Repair method | Stream-copy remux when ffmpeg is available. | "
                                            "arrow.triangle.2.circlepath"}));
    }
    testing::ShippedTools none({});
    const auto diagnostic = diagnose(path);
    EXPECT_EQ(findingLines(diagnostic)[1],
              (FindingLine{"ffmpeg remux", "ffmpeg is required to export repaired audio containers.",
                           RepairFindingLevel::warning}));
    EXPECT_FALSE(diagnostic.canAttemptRepair);
    EXPECT_EQ(diagnostic.recommendedAction, "Audio export requires bundled or installed ffmpeg.");
}

INSTANTIATE_TEST_SUITE_P(Formats, AudioDiagnosisTest, ::testing::Values("m4a", "mp3", "wav"));

}  // namespace
}  // namespace tidewell
