#include <gtest/gtest.h>

#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "recovery/deleted/exfat_fuzz_seed.h"
#include "recovery/deleted/fuzz_replay.h"
#include "recovery/deleted/memory_reader.h"

// The fuzz target itself, under a name of its own so several targets can
// share this test executable.
#define LLVMFuzzerTestOneInput exfatScanFuzzerEntry
#include "../../../fuzz/exfat_scan_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

namespace tidewell::ExFATDeletedRecoveryEngine {
namespace {

int feed(const std::vector<std::uint8_t>& bytes) {
    return exfatScanFuzzerEntry(bytes.data(), bytes.size());
}

TEST(ExFATScanFuzzerReplay, TheSeedScansToItsTwoDeletedFiles) {
    testing::TinyExFAT seed;
    auto [candidates, report] = scan(MemoryReader(seed.bytes), "seed");
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_EQ(candidates[0].name, "IMG.JPG");
    EXPECT_TRUE(candidates[0].isContiguousAndFree);
    EXPECT_EQ(candidates[1].name, "DOC.PDF");
    EXPECT_EQ(candidates[1].directoryLocation, "SUB");
    EXPECT_EQ(report.directoriesChecked, 2);
}

TEST(ExFATScanFuzzerReplay, SurvivesHostileImages) {
    EXPECT_EQ(feed({}), 0);
    testing::TinyExFAT hugeShifts;
    hugeShifts.put(109, 200, 1);
    EXPECT_EQ(feed(hugeShifts.bytes), 0);
    testing::TinyExFAT hugeLengths;
    hugeLengths.put(1056 + 56, 0x7FFFFFFFFFFFFFFF, 8), hugeLengths.put(1152 + 56, 0xFFFFFFFFFFFFFFFF, 8);
    hugeLengths.put(92, 0xFFFFFFFF, 4);
    EXPECT_EQ(feed(hugeLengths.bytes), 0);
    testing::TinyExFAT selfLinkedRoot;
    selfLinkedRoot.put(512 + 8, 2, 4);
    selfLinkedRoot.put(1024 + 24, 0, 8);  // and no usable bitmap entry
    EXPECT_EQ(feed(selfLinkedRoot.bytes), 0);
    testing::TinyExFAT setPastTheEnd;
    setPastTheEnd.put(1152 + 1, 255, 1);
    EXPECT_EQ(feed(setPastTheEnd.bytes), 0);
}

TEST(ExFATScanFuzzerReplay, SurvivesAShortRunOfRandomMutations) {
    testing::replayMutations(testing::TinyExFAT().bytes, exfatScanFuzzerEntry);
}

}  // namespace
}  // namespace tidewell::ExFATDeletedRecoveryEngine
