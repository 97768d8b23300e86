#include <gtest/gtest.h>

#include "recovery/deleted/fuzz_replay.h"
#include "recovery/deleted/partition_table_seed.h"

// The fuzz target itself, under a name of its own so several targets can
// share this test executable.
#define LLVMFuzzerTestOneInput partitionTableFuzzerEntry
#include "../../../fuzz/partition_table_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

namespace tidewell::PartitionTable {
namespace {

// A small MBR disk: a primary partition and an extended one with two logical partitions.
std::vector<std::uint8_t> mbrSeed() {
    testing::MBRDisk disk(96);
    disk.primary(0, 0x0C, 8, 16);
    disk.primary(1, 0x05, 32, 64);
    disk.extendedRecord(32, 2, 8, 32);
    disk.extendedRecord(64, 2, 8, 0);
    return disk.bytes;
}

std::vector<std::uint8_t> gptSeed() {
    testing::GPTDisk disk(96);
    disk.entry(0, 40, 63);
    disk.entry(1, 64, 90);
    disk.header(4, 128);
    return disk.bytes;
}

TEST(PartitionTableFuzzerReplay, TheSeedsListTheirPartitions) {
    auto mbr = mbrSeed();
    auto table = read(MemoryReader(mbr), static_cast<std::int64_t>(mbr.size()));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->partitions.size(), 3u);
    auto gpt = gptSeed();
    table = read(MemoryReader(gpt), static_cast<std::int64_t>(gpt.size()));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->partitions.size(), 2u);
}

TEST(PartitionTableFuzzerReplay, SurvivesAShortRunOfRandomMutations) {
    testing::replayMutations(mbrSeed(), partitionTableFuzzerEntry);
    testing::replayMutations(gptSeed(), partitionTableFuzzerEntry);
}

}  // namespace
}  // namespace tidewell::PartitionTable
