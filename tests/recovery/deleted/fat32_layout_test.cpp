#include <gtest/gtest.h>

#include "recovery/deleted/fat32_image_fixture.h"
#include "recovery/deleted/fat32_layout.h"
#include "recovery/deleted/file_reader.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell::FATDeletedRecoveryEngine {
namespace {

std::string layoutError(const std::filesystem::path& image) {
    try {
        readLayout(FileReader(image));
    } catch (const RecoveryError& error) {
        EXPECT_EQ(error.errorCase(), RecoveryError::Case::unsupportedSource);
        return error.what();
    }
    return "no error";
}

const std::string bootSectorMessage = "The selected source does not contain a readable FAT boot sector.";
const std::string geometryMessage = "The FAT boot sector is incomplete or uses an unsupported geometry.";
const std::string fat16Message =
    "Deleted-file recovery currently supports FAT32 media. This source is FAT12/FAT16 or not a supported FAT32 volume.";

TEST(FAT32Layout, ReadsTheGeometryOfARealFAT32Volume) {
    testing::FAT32Image card;
    Layout layout = readLayout(FileReader(card.path()));
    EXPECT_EQ(layout.bytesPerSector, 512);
    EXPECT_EQ(layout.sectorsPerCluster, 1);
    EXPECT_EQ(layout.reservedSectors, 32);
    EXPECT_EQ(layout.fatCount, 2);
    EXPECT_EQ(layout.sectorsPerFAT, 1009);
    EXPECT_EQ(layout.rootCluster, 2u);
    EXPECT_EQ(layout.firstDataSector, 32 + 2 * 1009);
    EXPECT_EQ(layout.clusterCount, 131072 - (32 + 2 * 1009));
    EXPECT_EQ(layout.fatOffset, 32 * 512);
    EXPECT_EQ(layout.fatByteCount, 1009 * 512);
    EXPECT_EQ(layout.offset(2), testing::FAT32Image::rootDirectoryOffset);
    EXPECT_EQ(layout.offset(5), testing::FAT32Image::rootDirectoryOffset + 3 * 512);
}

TEST(FAT32Layout, RefusesDataWithoutABootSector) {
    testing::TemporaryFolder folder;
    testing::writeFile(folder / "garbage", std::string(4096, 'G'));
    EXPECT_EQ(layoutError(folder / "garbage"), bootSectorMessage);
}

TEST(FAT32Layout, RefusesUnsupportedGeometryFieldByField) {
    struct Damage {
        std::int64_t offset;
        std::vector<std::uint8_t> bytes;
    };
    for (const auto& damage : std::vector<Damage>{{11, {0x01, 0x02}},  // 513 bytes per sector
                                                  {13, {0}},           // no sectors per cluster
                                                  {14, {0, 0}},        // no reserved sectors
                                                  {16, {0}},           // no allocation tables
                                                  {36, {0, 0, 0, 0}},  // no table size
                                                  {32, {0, 0, 0, 0}}}) {
        testing::FAT32Image card;
        testing::patchFile(card.path(), damage.offset, damage.bytes);
        EXPECT_EQ(layoutError(card.path()), geometryMessage) << "at byte " << damage.offset;
    }
}

TEST(FAT32Layout, RefusesFAT16AndFAT32LookalikesWithTooFewClusters) {
    testing::TemporaryFolder folder;
    ASSERT_EQ(testing::runTool("mkfs.vfat", {"-F", "16", "-C", (folder / "fat16.img").string(), "16384"}), 0);
    EXPECT_EQ(layoutError(folder / "fat16.img"), fat16Message);
    ASSERT_EQ(testing::runTool("mkfs.vfat", {"-F", "32", "-C", (folder / "small32.img").string(), "16384"}), 0);
    EXPECT_EQ(layoutError(folder / "small32.img"), fat16Message);
    testing::FAT32Image card;
    testing::patchFile(card.path(), 44, testing::littleEndian(1, 4));  // root cluster below 2
    EXPECT_EQ(layoutError(card.path()), fat16Message);
    testing::patchFile(card.path(), 44, testing::littleEndian(2, 4));
    testing::patchFile(card.path(), 32, testing::littleEndian(1000, 4));  // data area past the volume's end
    EXPECT_EQ(layoutError(card.path()), fat16Message);
}

TEST(FAT32Layout, RefusesExFATByItsGeometryAndHugeAllocationTables) {
    testing::TemporaryFolder folder;
    testing::writeFile(folder / "exfat.img", "");
    std::filesystem::resize_file(folder / "exfat.img", 16 * 1024 * 1024);
    ASSERT_EQ(testing::runTool("mkfs.exfat", {(folder / "exfat.img").string()}), 0);
    EXPECT_EQ(layoutError(folder / "exfat.img"), geometryMessage);

    testing::FAT32Image card;
    testing::patchFile(card.path(), 36, testing::littleEndian(131073, 4));  // 64 MiB + 512 bytes of table
    testing::patchFile(card.path(), 32, testing::littleEndian(0xFFFFFFFF, 4));
    EXPECT_EQ(layoutError(card.path()), "This FAT32 allocation table is too large for the current safe recovery pass.");
}

}  // namespace
}  // namespace tidewell::FATDeletedRecoveryEngine
