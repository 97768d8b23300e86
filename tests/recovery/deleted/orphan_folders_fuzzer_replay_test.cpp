#include <gtest/gtest.h>

#include "recovery/deleted/exfat_fuzz_seed.h"
#include "recovery/deleted/fat32_fuzz_seed.h"
#include "recovery/deleted/fuzz_replay.h"
#include "recovery/deleted/memory_reader.h"
#include "recovery/deleted/orphan_folders.h"
#include "support/exfat_entry_set_bytes.h"

// The fuzz target itself, under a name of its own so several targets can
// share this test executable.
#define LLVMFuzzerTestOneInput orphanFoldersFuzzerEntry
#include "../../../fuzz/orphan_folders_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

namespace tidewell::OrphanFolderRecovery {
namespace {

int feed(const std::vector<std::uint8_t>& bytes) {
    return orphanFoldersFuzzerEntry(bytes.data(), bytes.size());
}

// The tiny exFAT seed with a set checksum on its subdirectory's deleted PDF,
// so that the subdirectory's cluster reads as a found folder.
std::vector<std::uint8_t> exfatSeed() {
    testing::TinyExFAT seed;
    constexpr std::size_t set = 2048, length = 96;
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (i == 2 || i == 3) continue;
        std::uint8_t byte = seed.bytes[set + i];
        if (i % 32 == 0) byte |= 0x80;  // as written, before the deletion
        checksum = testing::exfatRotateAdd(checksum, byte);
    }
    seed.put(set + 2, checksum, 2);
    return seed.bytes;
}

TEST(OrphanFoldersFuzzerReplay, TheFAT32SeedFindsItsSubdirectoryAndItsPDF) {
    testing::TinyFAT32 seed;
    auto result = scan(MemoryReader(seed.bytes), "seed");
    ASSERT_EQ(result.folders.size(), 1u);
    EXPECT_EQ(result.folders[0].cluster, 3u);
    EXPECT_EQ(result.folders[0].path, "Found folders/Folder (cluster 3)");
    ASSERT_EQ(result.candidates.size(), 1u);
    EXPECT_EQ(result.candidates[0].name, "_OC.pdf");
    EXPECT_EQ(result.candidates[0].signature, "PDF");
}

TEST(OrphanFoldersFuzzerReplay, TheExFATSeedFindsItsSubdirectoryAndItsPDF) {
    auto result = scan(MemoryReader(exfatSeed()), "seed");
    EXPECT_EQ(result.sourceFormat, "exFAT");
    ASSERT_EQ(result.folders.size(), 1u);
    EXPECT_EQ(result.folders[0].cluster, 4u);
    ASSERT_EQ(result.candidates.size(), 1u);
    EXPECT_EQ(result.candidates[0].name, "DOC.PDF");
    EXPECT_EQ(result.candidates[0].directoryLocation, "Found folders/Folder (cluster 4)");
}

TEST(OrphanFoldersFuzzerReplay, SurvivesHostileImages) {
    EXPECT_EQ(feed({}), 0);
    EXPECT_EQ(feed(std::vector<std::uint8_t>(512, 0xFF)), 0);
    testing::TinyFAT32 selfParent;
    selfParent.put(1568 + 26, 3, 2);  // ".." names the folder itself
    EXPECT_EQ(feed(selfParent.bytes), 0);
    testing::TinyFAT32 hugeCluster;
    hugeCluster.put(13, 0xFF, 1), hugeCluster.put(1600 + 20, 0xFFFF, 2), hugeCluster.put(1600 + 28, 0xFFFFFFFF, 4);
    EXPECT_EQ(feed(hugeCluster.bytes), 0);
    auto exfat = exfatSeed();
    exfat[2048 + 1] = 0xFF;  // more secondary entries than the cluster holds
    EXPECT_EQ(feed(exfat), 0);
}

TEST(OrphanFoldersFuzzerReplay, SurvivesAShortRunOfRandomMutations) {
    testing::replayMutations(testing::TinyFAT32().bytes, orphanFoldersFuzzerEntry);
    testing::replayMutations(exfatSeed(), orphanFoldersFuzzerEntry);
}

}  // namespace
}  // namespace tidewell::OrphanFolderRecovery
