#include <gtest/gtest.h>

#include "recovery/deleted/fat32_long_name_records.h"
#include "recovery/deleted/fuzz_replay.h"

// The fuzz target itself, under a name of its own so several targets can
// share this test executable.
#define LLVMFuzzerTestOneInput fat32LongNameFuzzerEntry
#include "../../../fuzz/fat32_long_name_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

namespace tidewell::FATDeletedRecoveryEngine {
namespace {

using testing::deletedLongNameEntry;

// A folder of deleted entries: two pieces, a surrogate pair, a name that
// fills its last piece, the longest name, and an 8.3 name alone.
std::vector<std::uint8_t> seedFolder() {
    std::vector<std::uint8_t> folder;
    for (auto entry : {deletedLongNameEntry(u"Holiday at the sea.png", "HOLIDA~1PNG"),
                       deletedLongNameEntry(u"\U0001F600 Smile.jpg", "_SMILE~1JPG"),
                       deletedLongNameEntry(u"abcdefghijklm", "ABCDEF~1   "),
                       deletedLongNameEntry(std::u16string(255, u'n'), "NNNNNN~1   ")})
        folder.insert(folder.end(), entry.begin(), entry.end());
    auto shortOnly = deletedLongNameEntry(u"", "README  TXT");
    folder.insert(folder.end(), shortOnly.end() - 32, shortOnly.end());
    return folder;
}

TEST(FAT32LongNameFuzzerReplay, TheSeedFolderGivesBackItsFourLongNames) {
    auto folder = seedFolder();
    int restored = 0;
    for (std::size_t offset = 0; offset + 32 <= folder.size(); offset += 32)
        restored += deletedLongName(folder, offset) ? 1 : 0;
    EXPECT_EQ(restored, 4);
    EXPECT_EQ(fat32LongNameFuzzerEntry(folder.data(), folder.size()), 0);
}

TEST(FAT32LongNameFuzzerReplay, SurvivesHostileFolders) {
    EXPECT_EQ(fat32LongNameFuzzerEntry(nullptr, 0), 0);
    std::vector<std::uint8_t> pieces(32 * 30, 0);
    for (std::size_t at = 0; at < pieces.size(); at += 32) pieces[at] = 0xE5, pieces[at + 11] = 0x0F;
    EXPECT_EQ(fat32LongNameFuzzerEntry(pieces.data(), pieces.size()), 0);
    std::vector<std::uint8_t> ones(32 * 8 + 7, 0xFF);
    EXPECT_EQ(fat32LongNameFuzzerEntry(ones.data(), ones.size()), 0);
}

TEST(FAT32LongNameFuzzerReplay, SurvivesAShortRunOfRandomMutations) {
    testing::replayMutations(seedFolder(), fat32LongNameFuzzerEntry);
}

}  // namespace
}  // namespace tidewell::FATDeletedRecoveryEngine
