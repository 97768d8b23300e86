#include "firstaid/media_container.h"

#include <gtest/gtest.h>

#include "firstaid/diagnosis_lines.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/firstaid_fixtures.h"
#include "util/byte_size_text.h"

namespace tidewell {
namespace {

using namespace FileFirstAidEngine;
using testing::FindingLine;

std::string atomHeader(std::uint32_t size, const std::string& type) {
    std::string bytes{static_cast<char>(size >> 24), static_cast<char>(size >> 16), static_cast<char>(size >> 8),
                      static_cast<char>(size)};
    return bytes + type;
}

std::string wideAtomHeader(std::uint64_t size, const std::string& type) {
    std::string bytes = atomHeader(1, type);
    for (int shift = 56; shift >= 0; shift -= 8) bytes += static_cast<char>(size >> shift);
    return bytes;
}

std::vector<AtomRecord> walk(const std::string& bytes) {
    return walkAtoms(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

TEST(AtomWalkTest, SizeFieldRules) {
    // A 64-bit size ending exactly at the end is recorded; one byte more is dropped.
    const std::string exact = atomHeader(8, "ftyp") + wideAtomHeader(24, "mdat") + std::string(8, 'x');
    EXPECT_EQ(walk(exact), (std::vector<AtomRecord>{{"ftyp", 0, 8}, {"mdat", 8, 24}}));
    const std::string over = atomHeader(8, "ftyp") + wideAtomHeader(25, "mdat") + std::string(8, 'x');
    EXPECT_EQ(walk(over), (std::vector<AtomRecord>{{"ftyp", 0, 8}}));
    // Size 0 runs to the end of the file.
    EXPECT_EQ(walk(atomHeader(8, "ftyp") + atomHeader(0, "mdat") + "payload"),
              (std::vector<AtomRecord>{{"ftyp", 0, 8}, {"mdat", 8, 15}}));
    // A size below the header stops the walk; so does a 64-bit size without its field.
    EXPECT_EQ(walk(atomHeader(8, "ftyp") + atomHeader(4, "free") + atomHeader(8, "mdat")),
              (std::vector<AtomRecord>{{"ftyp", 0, 8}}));
    EXPECT_TRUE(walk(atomHeader(1, "mdat") + "abc").empty());
    EXPECT_EQ(walk(atomHeader(8,
                              "\x80"
                              "abc")),
              (std::vector<AtomRecord>{{"????", 0, 8}}));
    EXPECT_TRUE(walk("short").empty());
}

TEST(AtomWalkTest, StopsAfterEightyAtoms) {
    std::string bytes;
    for (int i = 0; i < 81; ++i) bytes += atomHeader(8, "free");
    const auto atoms = walk(bytes);
    ASSERT_EQ(atoms.size(), 80u);
    EXPECT_EQ(atoms.back().offset, 79u * 8);
}

std::vector<std::string> types(const std::vector<AtomRecord>& atoms) {
    std::vector<std::string> result;
    for (const auto& atom : atoms) result.push_back(atom.type);
    return result;
}

class VideoDiagnosisTest : public ::testing::Test {
protected:
    testing::TemporaryFolder folder;
    testing::ShippedTools tools;
};

TEST_F(VideoDiagnosisTest, MoovAfterMdatIsStillRepairable) {
    const auto path = testing::makeVideo(folder / "clip.mp4");
    const auto atoms = parseTopLevelAtoms(path);
    ASSERT_EQ(types(atoms), (std::vector<std::string>{"ftyp", "free", "mdat", "moov"}));
    const auto diagnostic = diagnose(path);
    EXPECT_EQ(diagnostic.kind, FileRepairKind::videoContainer);
    EXPECT_EQ(testing::findingLines(diagnostic),
              (std::vector<FindingLine>{
                  {"ftyp atom", "Container brand atom found.", RepairFindingLevel::ok},
                  {"moov atom", "Movie metadata atom found at byte " + std::to_string(atoms[3].offset) + ".",
                   RepairFindingLevel::ok},
                  {"mdat atom", "Media data atom found at byte " + std::to_string(atoms[2].offset) + ".",
                   RepairFindingLevel::ok},
                  {"ffmpeg remux", "ffmpeg is available for stream-copy repair.", RepairFindingLevel::ok},
              }));
    EXPECT_TRUE(diagnostic.canAttemptRepair);
    EXPECT_FALSE(diagnostic.canExtractReadableContent);
    EXPECT_EQ(diagnostic.recommendedAction, "Export a remuxed copy with stream copy and faststart metadata.");
    const auto preview = testing::previewLines(diagnostic);
    ASSERT_EQ(preview.size(), 6u);
    EXPECT_EQ(preview[0], "Top-level atoms | ftyp, free, mdat, moov | film.stack");
    EXPECT_EQ(preview[1], "Repair method | ffmpeg stream-copy remux | arrow.triangle.2.circlepath");
    EXPECT_EQ(preview[4], "mdat | Offset " + std::to_string(atoms[2].offset) + ", size " +
                              tidewellString(static_cast<std::int64_t>(atoms[2].size)) + " | cube");
}

TEST_F(VideoDiagnosisTest, FaststartMovAndM4v) {
    const auto mov = testing::makeVideo(folder / "clip.mov", {"-movflags", "+faststart"});
    EXPECT_EQ(types(parseTopLevelAtoms(mov)), (std::vector<std::string>{"ftyp", "moov", "wide", "mdat"}));
    EXPECT_TRUE(diagnose(mov).canAttemptRepair);
    const auto m4v = testing::makeVideo(folder / "clip.m4v", {"-f", "ipod"});
    EXPECT_TRUE(diagnose(m4v).canAttemptRepair);
}

TEST_F(VideoDiagnosisTest, TruncatedVideoLosesItsAtoms) {
    const auto path = testing::makeVideo(folder / "clip.mp4");
    testing::truncateCopy(path, folder / "cut.mp4", std::filesystem::file_size(path) / 2);
    const auto diagnostic = diagnose(folder / "cut.mp4");
    EXPECT_EQ(testing::findingLines(diagnostic),
              (std::vector<FindingLine>{
                  {"ftyp atom", "Container brand atom found.", RepairFindingLevel::ok},
                  {"moov atom", "Movie metadata atom was not found. Simple remux may not be enough.",
                   RepairFindingLevel::failed},
                  {"mdat atom", "Media payload atom was not found.", RepairFindingLevel::failed},
                  {"ffmpeg remux", "ffmpeg is available for stream-copy repair.", RepairFindingLevel::ok},
              }));
    EXPECT_FALSE(diagnostic.canAttemptRepair);
    EXPECT_EQ(diagnostic.recommendedAction,
              "This build can diagnose the container, but repair needs ftyp, moov, mdat, and ffmpeg.");
}

TEST_F(VideoDiagnosisTest, WideMdatHeaderAndMissingFFmpeg) {
    // Rewrite "free" + "mdat" headers as one 16-byte header with a 64-bit size.
    const auto path = testing::makeVideo(folder / "clip.mp4");
    auto atoms = parseTopLevelAtoms(path);
    std::string bytes = testing::readFile(path);
    bytes.replace(atoms[1].offset, 16, wideAtomHeader(atoms[2].size + 8, "mdat"));
    testing::writeFile(folder / "wide.mp4", bytes);
    atoms = parseTopLevelAtoms(folder / "wide.mp4");
    EXPECT_EQ(types(atoms), (std::vector<std::string>{"ftyp", "mdat", "moov"}));

    testing::ShippedTools withoutFFmpeg({"ffprobe"});
    const auto diagnostic = diagnose(folder / "wide.mp4");
    EXPECT_EQ(testing::findingLines(diagnostic).back(),
              (FindingLine{"ffmpeg remux",
                           "ffmpeg was not found. Video repair export is unavailable until it is bundled or installed.",
                           RepairFindingLevel::warning}));
    EXPECT_FALSE(diagnostic.canAttemptRepair);
    EXPECT_EQ(testing::previewLines(diagnostic)[1], "Repair method | ffmpeg unavailable | arrow.triangle.2.circlepath");
    EXPECT_EQ(videoPreviewItems({}, true)[0].detail, "No atoms found");
}

}  // namespace
}  // namespace tidewell
