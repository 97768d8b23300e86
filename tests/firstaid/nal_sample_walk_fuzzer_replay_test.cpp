// Replays hostile and cut-short media data through the access-unit walk's fuzz entry.
#define LLVMFuzzerTestOneInput nalSampleWalkFuzzerEntry
#include "../../fuzz/nal_sample_walk_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "firstaid/firstaid_fixtures.h"
#include "firstaid/media_container.h"

namespace tidewell {
namespace {

int replay(const std::string& bytes) {
    return nalSampleWalkFuzzerEntry(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(NalSampleWalkFuzzerReplayTest, HostileInputs) {
    const std::vector<std::string> inputs{
        "",
        std::string("\0\0\0\x01\x65", 5),                         // a slice header cut after its NAL header
        std::string("\xff\xff\xff\xff\x65\x88", 6),               // a length far beyond the bytes
        std::string("\0\0\0\x02\x09\xf0\0\0\0\x02\x09\xf0", 12),  // delimiters without a picture
        std::string(64, '\0'),
        std::string(64, '\xff'),
    };
    for (const auto& input : inputs) EXPECT_EQ(replay(input), 0);
    std::mt19937 random(23);
    for (int round = 0; round < 200; ++round) {
        std::string bytes(static_cast<std::size_t>(random() % 4096), '\0');
        for (auto& byte : bytes) byte = static_cast<char>(random());
        EXPECT_EQ(replay(bytes), 0);
    }
}

// Real media data of a libx264 clip (the configuration the fuzz entry carries), cut at every length.
TEST(NalSampleWalkFuzzerReplayTest, RealMediaDataCutAnywhere) {
    testing::TemporaryFolder folder;
    const auto clip = folder / "clip.mp4";
    ASSERT_TRUE(testing::runFFmpeg({"-f", "lavfi", "-i", "testsrc2=size=64x64:rate=25", "-t", "0.4", "-c:v", "libx264",
                                    "-preset", "veryfast", clip.string()}));
    std::string mdat;
    const std::string bytes = testing::readFile(clip);
    for (const auto& atom : FileFirstAidEngine::parseTopLevelAtoms(clip))
        if (atom.type == "mdat") mdat = bytes.substr(atom.offset + 8, atom.size - 8);
    ASSERT_FALSE(mdat.empty());
    for (std::size_t length = 0; length <= mdat.size(); length += 7) EXPECT_EQ(replay(mdat.substr(0, length)), 0);
}

}  // namespace
}  // namespace tidewell
