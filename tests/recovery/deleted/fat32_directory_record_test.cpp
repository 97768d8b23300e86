#include <gtest/gtest.h>

#include "recovery/deleted/fat32_directory_record.h"

namespace tidewell::FATDeletedRecoveryEngine {
namespace {

std::vector<std::uint8_t> record(const std::string& name11, std::uint32_t cluster = 0x00012345,
                                 std::uint32_t size = 700) {
    std::vector<std::uint8_t> bytes(32, 0);
    std::copy(name11.begin(), name11.end(), bytes.begin());
    bytes[11] = 0x20;
    bytes[20] = static_cast<std::uint8_t>(cluster >> 16), bytes[21] = static_cast<std::uint8_t>(cluster >> 24);
    bytes[26] = static_cast<std::uint8_t>(cluster), bytes[27] = static_cast<std::uint8_t>(cluster >> 8);
    for (int i = 0; i < 4; ++i) bytes[28 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    return bytes;
}

TEST(FAT32DirectoryRecord, ReadsClusterAndSize) {
    auto r = record("IMG_0001JPG");
    EXPECT_EQ(DirectoryRecord::cluster(r), 0x00012345u);
    EXPECT_EQ(DirectoryRecord::fileSize(r), 700u);
    EXPECT_EQ(DirectoryRecord::attributes(r), 0x20);
}

TEST(FAT32DirectoryRecord, BuildsShortNames) {
    EXPECT_EQ(DirectoryRecord::activeShortName(record("IMG_0001JPG")), "IMG_0001.jpg");
    EXPECT_EQ(DirectoryRecord::activeShortName(record("DCIM       ")), "DCIM");
    EXPECT_EQ(DirectoryRecord::activeShortName(record(".          ")), ".");
    EXPECT_EQ(DirectoryRecord::activeShortName(record("  AB    T T")), "AB.t");  // leading blanks dropped
    EXPECT_EQ(DirectoryRecord::activeShortName(record("A\x01"
                                                      "B     \x7F"
                                                      "TX")),
              "A_B.tx");
}

TEST(FAT32DirectoryRecord, MarksTheLostFirstCharacterOfDeletedNames) {
    EXPECT_EQ(DirectoryRecord::deletedShortName(record("\xE5MG_0001JPG"), 9), "_MG_0001.jpg");
    EXPECT_EQ(DirectoryRecord::deletedShortName(record("\xE5       PDF"), 9), "_.pdf");
    EXPECT_EQ(DirectoryRecord::deletedShortName(record("        PDF"), 9), "Recovered-9.pdf");
}

}  // namespace
}  // namespace tidewell::FATDeletedRecoveryEngine
