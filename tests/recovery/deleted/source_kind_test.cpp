#include "recovery/deleted/source_kind.h"

#include <gtest/gtest.h>

#include "recovery/deleted/deleted_source.h"
#include "recovery/deleted/fat32_image_fixture.h"
#include "recovery/deleted/file_reader.h"
#include "recovery/deleted/memory_reader.h"
#include "support/thrown_message.h"

namespace tidewell::DeletedRecovery {
namespace {

namespace fs = std::filesystem;

fs::path emptyImage(const testing::TemporaryFolder& folder, const std::string& name, std::int64_t bytes) {
    const fs::path image = folder / name;
    testing::writeFile(image, "");
    fs::resize_file(image, bytes);
    return image;
}

TEST(SourceKind, NamesWhatMkfsMadeAndReadsTheLabels) {
    testing::TemporaryFolder folder;
    const fs::path fat32 = emptyImage(folder, "fat32.img", 64 << 20);
    ASSERT_EQ(testing::runTool("mkfs.vfat", {"-F", "32", "-S", "512", "-s", "1", "-n", "CAMERA", fat32.string()}), 0);
    EXPECT_EQ(detectSourceKind(FileReader(fat32)), SourceKind::fat32);
    EXPECT_EQ(volumeLabel(FileReader(fat32), SourceKind::fat32), "CAMERA");

    const fs::path exfat = emptyImage(folder, "exfat.img", 16 << 20);
    ASSERT_EQ(testing::runTool("mkfs.exfat", {"-L", "Card 7", exfat.string()}), 0);
    EXPECT_EQ(detectSourceKind(FileReader(exfat)), SourceKind::exfat);
    EXPECT_EQ(volumeLabel(FileReader(exfat), SourceKind::exfat), "Card 7");

    const fs::path fat16 = emptyImage(folder, "fat16.img", 16 << 20);
    ASSERT_EQ(testing::runTool("mkfs.vfat", {"-F", "16", fat16.string()}), 0);
    EXPECT_EQ(detectSourceKind(FileReader(fat16)), SourceKind::fat12or16);

    const fs::path ext4 = emptyImage(folder, "ext4.img", 16 << 20);
    ASSERT_EQ(testing::runTool("mkfs.ext4", {"-q", "-F", ext4.string()}), 0);
    EXPECT_EQ(detectSourceKind(FileReader(ext4)), SourceKind::ext4);
    const fs::path ext2 = emptyImage(folder, "ext2.img", 16 << 20);
    ASSERT_EQ(testing::runTool("mkfs.ext2", {"-q", "-F", ext2.string()}), 0);
    EXPECT_EQ(detectSourceKind(FileReader(ext2)), SourceKind::ext2);
}

TEST(SourceKind, NTFSIsToldByItsOEMNameAndShortOrBlankSourcesAreUnrecognised) {
    std::vector<std::uint8_t> ntfs(4096, 0);
    const std::string oem = "NTFS    ";
    std::copy(oem.begin(), oem.end(), ntfs.begin() + 3);
    ntfs[510] = 0x55, ntfs[511] = 0xAA;
    EXPECT_EQ(detectSourceKind(MemoryReader(ntfs)), SourceKind::ntfs);
    EXPECT_EQ(detectSourceKind(MemoryReader(std::vector<std::uint8_t>(600, 0))), SourceKind::unrecognised);
    EXPECT_EQ(detectSourceKind(MemoryReader(std::vector<std::uint8_t>(100, 0))), SourceKind::unrecognised);
}

TEST(SourceKind, TheScanRefusesOtherSourcesInOneSentenceNamingThem) {
    testing::TemporaryFolder folder;
    const fs::path ext4 = emptyImage(folder, "disk.img", 16 << 20);
    ASSERT_EQ(testing::runTool("mkfs.ext4", {"-q", "-F", ext4.string()}), 0);
    EXPECT_EQ(testing::thrownMessage([&] { scanSource(FileReader(ext4), "disk.img"); }),
              "Deleted-file recovery reads FAT32 and exFAT volumes, but disk.img is an ext4 volume.");
    const fs::path blank = emptyImage(folder, "blank.bin", 1 << 20);
    EXPECT_EQ(testing::thrownMessage([&] { scanSource(FileReader(blank), "blank.bin"); }),
              "Deleted-file recovery reads FAT32 and exFAT volumes, but nothing recognisable was found on blank.bin.");
    EXPECT_EQ(*unsupportedSourceMessage(SourceKind::gptPartitionTable, "disk.img"),
              "Deleted-file recovery reads FAT32 and exFAT volumes, but disk.img is a disk with a GPT partition "
              "table; choose one of its partitions.");
    EXPECT_FALSE(unsupportedSourceMessage(SourceKind::exfat, "CARD"));
}

TEST(SourceKind, MountedFileSystemNamesMapOntoTheSameKinds) {
    EXPECT_EQ(sourceKindOfFileSystemName("vfat"), SourceKind::fat32);
    EXPECT_EQ(sourceKindOfFileSystemName("exfat"), SourceKind::exfat);
    EXPECT_EQ(sourceKindOfFileSystemName("ext4"), SourceKind::ext4);
    EXPECT_EQ(sourceKindOfFileSystemName("ntfs3"), SourceKind::ntfs);
    EXPECT_EQ(sourceKindOfFileSystemName("Mounted volume"), std::nullopt);
}

}  // namespace
}  // namespace tidewell::DeletedRecovery
