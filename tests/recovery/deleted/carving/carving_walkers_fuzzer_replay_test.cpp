#include <gtest/gtest.h>

#include "recovery/deleted/carving/carving_fixtures.h"
#include "recovery/deleted/fuzz_replay.h"

// The fuzz target itself, under a name of its own so several targets can
// share this test executable.
#define LLVMFuzzerTestOneInput carvingWalkersFuzzerEntry
#include "../../../../fuzz/carving_walkers_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

namespace tidewell::FileCarving {
namespace {

// Small real files of every walked format, as the tools write them.
std::vector<testing::Bytes> seeds() {
    return {
        testing::withExifDate(testing::stillImage("x.jpg", "32x32"), "2024:06:01 14:03:22"),
        testing::stillImage("x.png", "32x32"),
        testing::stillImage("x.gif", "32x32"),
        testing::stillImage("x.tiff", "32x32"),
        testing::sound("x.mp3", "Seed"),
        testing::sound("x.wav", "Seed"),
        testing::titledPDF("Seed", false),
        testing::titledPDF("Seed", true),
        testing::zipped(true),
    };
}

TEST(CarvingWalkersFuzzerReplay, TheSeedsWalkComplete) {
    for (const auto& seed : seeds()) {
        ASSERT_FALSE(seed.empty());
        EXPECT_EQ(testing::walkBytes(seed).status, WalkStatus::complete);
        EXPECT_EQ(carvingWalkersFuzzerEntry(seed.data(), seed.size()), 0);
    }
}

// Found by the fuzzer: an ID3 tag whose size points past the data made the
// walk claim bytes that were not there.
TEST(CarvingWalkersFuzzerReplay, AnId3TagLongerThanTheDataIsTruncatedWithinIt) {
    testing::Bytes tag{'I', 'D', '3', 4, 0, 0, 0, 5, 0, 0x33, 'T', 'I', 'T', '2', 0, 0, 0, 6, 0, 0, 3, 'S'};
    auto walk = testing::walkBytes(tag);
    EXPECT_EQ(walk.status, WalkStatus::truncated);
    EXPECT_EQ(walk.length, static_cast<std::int64_t>(tag.size()));
    EXPECT_EQ(carvingWalkersFuzzerEntry(tag.data(), tag.size()), 0);
}

TEST(CarvingWalkersFuzzerReplay, SurvivesAShortRunOfRandomMutations) {
    for (const auto& seed : seeds()) testing::replayMutations(seed, carvingWalkersFuzzerEntry);
}

}  // namespace
}  // namespace tidewell::FileCarving
