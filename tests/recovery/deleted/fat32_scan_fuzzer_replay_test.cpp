#include <gtest/gtest.h>

#include "recovery/deleted/fat32_fuzz_seed.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "recovery/deleted/fuzz_replay.h"
#include "recovery/deleted/memory_reader.h"

// The fuzz target itself, under a name of its own so several targets can
// share this test executable.
#define LLVMFuzzerTestOneInput fat32ScanFuzzerEntry
#include "../../../fuzz/fat32_scan_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

namespace tidewell::FATDeletedRecoveryEngine {
namespace {

int feed(const std::vector<std::uint8_t>& bytes) {
    return fat32ScanFuzzerEntry(bytes.data(), bytes.size());
}

TEST(FAT32ScanFuzzerReplay, TheSeedScansToItsTwoDeletedFiles) {
    testing::TinyFAT32 seed;
    auto [candidates, report] = scan(MemoryReader(seed.bytes), "seed");
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0].name, "_MG_0001.jpg");
    EXPECT_EQ(candidates[0].confidence, Confidence::medium);  // four bytes of JPEG do not decode
    EXPECT_EQ(candidates[1].name, "_OC.pdf");
    EXPECT_EQ(candidates[1].directoryLocation, "SUB");
    EXPECT_EQ(report.directoriesChecked, 2);  // BACK leads to the root again
}

TEST(FAT32ScanFuzzerReplay, SurvivesHostileImages) {
    EXPECT_EQ(feed({}), 0);
    EXPECT_EQ(feed(std::vector<std::uint8_t>(512, 0xFF)), 0);
    testing::TinyFAT32 hugeCounts;
    hugeCounts.put(32, 0xFFFFFFFF, 4), hugeCounts.put(1056 + 28, 0xFFFFFFFF, 4);
    hugeCounts.put(1600 + 20, 0xFFFF, 2), hugeCounts.put(36, 0xFFFF, 4);
    EXPECT_EQ(feed(hugeCounts.bytes), 0);
    testing::TinyFAT32 selfLinkedRoot;
    selfLinkedRoot.put(512 + 8, 2, 4);
    EXPECT_EQ(feed(selfLinkedRoot.bytes), 0);
    testing::TinyFAT32 chainOffTheEnd;
    chainOffTheEnd.put(512 + 8, 0x0FFFFFF0, 4), chainOffTheEnd.put(512 + 12, 100, 4);
    EXPECT_EQ(feed(chainOffTheEnd.bytes), 0);
    testing::TinyFAT32 oddGeometry;
    oddGeometry.put(13, 3, 1), oddGeometry.put(14, 0xFFFF, 2);
    EXPECT_EQ(feed(oddGeometry.bytes), 0);
}

TEST(FAT32ScanFuzzerReplay, SurvivesAShortRunOfRandomMutations) {
    testing::replayMutations(testing::TinyFAT32().bytes, fat32ScanFuzzerEntry);
}

}  // namespace
}  // namespace tidewell::FATDeletedRecoveryEngine
