#include "recovery/deleted/partition_table.h"

#include <gtest/gtest.h>

#include "recovery/deleted/deleted_source.h"
#include "recovery/deleted/disk_image_fixture.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "recovery/deleted/file_reader.h"
#include "recovery/deleted/memory_reader.h"
#include "recovery/deleted/partition_table_seed.h"

namespace tidewell::PartitionTable {
namespace {

using testing::PartitionedDisk;

std::optional<Table> readBytes(const std::vector<std::uint8_t>& bytes) {
    return read(MemoryReader(bytes), static_cast<std::int64_t>(bytes.size()));
}

TEST(PartitionTable, ListsBothVolumesOfAnMBRDiskBySfdiskWithFormatsAndLabels) {
    PartitionedDisk disk("dos");
    auto table = read(FileReader(disk.path), PartitionedDisk::diskSectors * 512);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->scheme, Scheme::mbr);
    EXPECT_TRUE(table->notes.empty());
    ASSERT_EQ(table->partitions.size(), 2u);
    const Partition& first = table->partitions[0];
    EXPECT_EQ(first.number, 1);
    EXPECT_EQ(first.startOffset, PartitionedDisk::fat32Start * 512);
    EXPECT_EQ(first.sizeBytes, PartitionedDisk::fat32Sectors * 512);
    EXPECT_EQ(first.type, "0x0c");
    EXPECT_EQ(first.format, VolumeFormat::fat32);
    const Partition& second = table->partitions[1];
    EXPECT_EQ(second.number, 2);
    EXPECT_EQ(second.startOffset, PartitionedDisk::exfatStart * 512);
    EXPECT_EQ(second.format, VolumeFormat::exfat);
    EXPECT_EQ(partitionSummary(second), "Partition 2 · exFAT · 33.6 MB");
}

TEST(PartitionTable, ReadsAGPTDiskBySfdiskAfterCheckingBothChecksums) {
    PartitionedDisk disk("gpt");
    auto table = read(FileReader(disk.path), PartitionedDisk::diskSectors * 512);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->scheme, Scheme::gpt);
    ASSERT_EQ(table->partitions.size(), 2u);
    EXPECT_EQ(table->partitions[0].typeName, "Microsoft basic data");
    EXPECT_EQ(table->partitions[0].format, VolumeFormat::fat32);
    EXPECT_EQ(table->partitions[1].format, VolumeFormat::exfat);
    EXPECT_EQ(table->partitions[1].startOffset, PartitionedDisk::exfatStart * 512);

    // One flipped byte in the entry array: the primary and the backup array share the checksum test.
    testing::patchFile(disk.path, 1024 + 128 + 56, {0x41});
    auto damaged = read(FileReader(disk.path), PartitionedDisk::diskSectors * 512);
    ASSERT_TRUE(damaged);
    EXPECT_TRUE(damaged->partitions.empty());
    EXPECT_EQ(damaged->notes,
              std::vector<std::string>{"The GPT partition entries fail their checksum. No partitions were listed."});
}

TEST(PartitionTable, ABareVolumeOrAnEmptyDiskHasNoTable) {
    testing::FAT32Image card;
    EXPECT_FALSE(read(FileReader(card.path()), 64 * 1024 * 1024));
    EXPECT_FALSE(readBytes(std::vector<std::uint8_t>(4096, 0)));
    EXPECT_FALSE(readBytes({}));
}

TEST(PartitionTable, LogicalPartitionsFollowTheExtendedChain) {
    testing::MBRDisk disk;
    disk.primary(0, 0x0C, 2048, 1024);
    disk.primary(1, 0x0F, 4096, 8192);
    disk.extendedRecord(4096, 2048, 1024, 4096);  // logical 5, next record 4096 sectors into the extension
    disk.extendedRecord(8192, 2048, 1024, 0);     // logical 6, end of chain
    auto table = readBytes(disk.bytes);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->partitions.size(), 3u);
    EXPECT_EQ(table->partitions[1].number, 5);
    EXPECT_EQ(table->partitions[1].startOffset, (4096 + 2048) * 512);
    EXPECT_EQ(table->partitions[2].number, 6);
    EXPECT_EQ(table->partitions[2].startOffset, (8192 + 2048) * 512);
    EXPECT_TRUE(table->notes.empty());
}

TEST(PartitionTable, AnExtendedChainThatLoopsIsCut) {
    testing::MBRDisk disk;
    disk.primary(0, 0x05, 4096, 8192);
    disk.extendedRecord(4096, 2048, 16, 4096);  // the next record is the next one...
    disk.extendedRecord(8192, 2048, 16, 0);
    disk.entry(8192, 1, 0x05, 0, 1);  // ...which points back to the first
    auto table = readBytes(disk.bytes);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->partitions.size(), 2u);
    EXPECT_EQ(table->notes,
              std::vector<std::string>{"The chain of logical partitions loops back on itself and was cut."});
}

TEST(PartitionTable, OverlappingAndOutOfRangeEntriesAreDroppedOrClipped) {
    testing::MBRDisk disk;
    disk.primary(0, 0x0C, 2048, 4096);
    disk.primary(1, 0x07, 4096, 1024);          // inside partition 1
    disk.primary(2, 0x83, 10'000, 0xFFFFFFFF);  // far past the disk's end
    disk.primary(3, 0x83, 0xFFFFFF00, 16);      // starts beyond the disk
    auto table = readBytes(disk.bytes);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->partitions.size(), 2u);
    EXPECT_EQ(table->partitions[1].number, 3);
    EXPECT_EQ(table->partitions[1].startOffset + table->partitions[1].sizeBytes,
              static_cast<std::int64_t>(disk.bytes.size()));
    EXPECT_EQ(table->notes,
              (std::vector<std::string>{"Partition 3 reaches beyond the end of the disk and was cut at the disk's end.",
                                        "Partition 4 starts beyond the end of the disk and was ignored.",
                                        "Partition 2 overlaps partition 1 and was ignored."}));
}

TEST(PartitionTable, AGPTWithAHugeEntryCountIsRefused) {
    testing::GPTDisk disk;
    disk.header(0xFFFFFFFF, 128);
    auto table = readBytes(disk.bytes);
    ASSERT_TRUE(table);
    EXPECT_TRUE(table->partitions.empty());
    EXPECT_EQ(table->notes[0],
              "The GPT lists 4294967295 entries, more than the 1024 Tidewell reads. No partitions were listed.");
}

TEST(PartitionTable, ASeedGPTListsItsEntryAndABadHeaderChecksumFallsBackToNothing) {
    testing::GPTDisk disk;
    disk.entry(0, 64, 127);
    disk.header(4, 128);
    auto table = readBytes(disk.bytes);
    ASSERT_TRUE(table);
    ASSERT_EQ(table->partitions.size(), 1u);
    EXPECT_EQ(table->partitions[0].startOffset, 64 * 512);
    EXPECT_EQ(table->partitions[0].sizeBytes, 64 * 512);
    disk.bytes[512 + 40] ^= 1;  // first usable sector, under the header checksum
    auto damaged = readBytes(disk.bytes);
    ASSERT_TRUE(damaged);
    EXPECT_TRUE(damaged->partitions.empty());
    EXPECT_EQ(damaged->notes[0], "The GPT header fails its checksum. No partitions were listed.");
}

TEST(DiskImage, ScansAndExportsThePartitionsOfADiskImageAsTheVolumesThemselves) {
    PartitionedDisk disk("dos");
    auto image = DeletedRecovery::DiskImage::inspect(disk.path);
    EXPECT_EQ(image.kind, DeletedRecovery::SourceKind::mbrPartitionTable);
    auto [inside, insideReport] = DeletedRecovery::scanSource(*image.reader(1), image.sourceName(1));
    auto [alone, aloneReport] = FATDeletedRecoveryEngine::scanImage(disk.fat32.path());
    EXPECT_EQ(inside, alone);
    EXPECT_EQ(insideReport.entriesChecked, aloneReport.entriesChecked);
    EXPECT_EQ(image.sourceName(2), "disk.img partition 2");

    auto [exfat, exfatReport] = DeletedRecovery::scanSource(*image.reader(2), image.sourceName(2));
    testing::TemporaryFolder output;
    auto written = DeletedRecovery::exportFromSource(exfat, *image.reader(2), image.sourceName(2), output.path());
    std::vector<std::string> names;
    for (const auto& file : written) names.push_back(file.filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"IMG_0001.JPG", "Beach_sunset_001.png"}));
    EXPECT_EQ(testing::fileBytes(written[0]), disk.exfat.jpeg);
    EXPECT_EQ(written[0].parent_path().filename(), "Tidewell-Deleted-Recovery-disk.img partition 2");

    EXPECT_THROW(image.reader(3), DeletedRecovery::RecoveryError);
}

}  // namespace
}  // namespace tidewell::PartitionTable
