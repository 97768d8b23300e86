#include <gtest/gtest.h>

#include "recovery/deleted/fat32_allocation_table.h"

namespace tidewell::FATDeletedRecoveryEngine {
namespace {

AllocationTable tableOf(std::initializer_list<std::uint32_t> entries) {
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t entry : entries)
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(entry >> (8 * i)));
    return AllocationTable(std::move(bytes));
}

Layout layoutWithClusters(std::int64_t clusterCount) {
    Layout layout;
    layout.clusterCount = clusterCount;
    return layout;
}

TEST(FAT32AllocationTable, MasksEntriesAndTreatsThePastAsInUse) {
    auto fat = tableOf({0x0FFFFFF8, 0xFFFFFFFF, 0xF0000003});
    EXPECT_EQ(fat.entry(2), 3u);
    EXPECT_EQ(fat.entry(3), 0x0FFFFFFFu);
    EXPECT_EQ(fat.entry(0xFFFFFFFFull), 0x0FFFFFFFu);
}

TEST(FAT32AllocationTable, FollowsChainsAndEndsBrokenOnesQuietly) {
    auto layout = layoutWithClusters(6);
    //                 0  1  2  3  4           5  6  7
    auto fat = tableOf({0, 0, 3, 5, 0x0FFFFFFF, 4, 2, 99});
    EXPECT_EQ(fat.chain(2, layout), (std::vector<std::uint32_t>{2, 3, 5, 4}));
    EXPECT_EQ(fat.chain(6, layout), (std::vector<std::uint32_t>{6, 2, 3, 5, 4}));
    EXPECT_EQ(fat.chain(7, layout), (std::vector<std::uint32_t>{7}));  // points outside the volume
    EXPECT_TRUE(fat.chain(1, layout).empty());
    EXPECT_TRUE(fat.chain(8, layout).empty());
    auto loop = tableOf({0, 0, 3, 4, 2});
    EXPECT_EQ(loop.chain(2, layoutWithClusters(3)), (std::vector<std::uint32_t>{2, 3, 4}));
    EXPECT_EQ(loop.chain(3, layoutWithClusters(3)), (std::vector<std::uint32_t>{3, 4, 2}));
}

TEST(FAT32AllocationTable, FindsFreeRunsOnlyInsideTheTable) {
    auto fat = tableOf({0, 0, 0, 0, 7, 0});
    EXPECT_TRUE(fat.isFreeContiguousRun(0, 4));
    EXPECT_FALSE(fat.isFreeContiguousRun(2, 3));
    EXPECT_TRUE(fat.isFreeContiguousRun(5, 1));
    EXPECT_FALSE(fat.isFreeContiguousRun(5, 2));  // past the table
    EXPECT_FALSE(fat.isFreeContiguousRun(0, 0));
}

}  // namespace
}  // namespace tidewell::FATDeletedRecoveryEngine
