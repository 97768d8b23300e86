#include "recovery/deleted/orphan_folders.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "recovery/deleted/exfat_image_writer.h"
#include "recovery/deleted/fat32_image_fixture.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "recovery/deleted/file_reader.h"
#include "recovery/deleted/memory_reader.h"
#include "recovery/deleted/quick_format_fixture.h"

namespace tidewell::OrphanFolderRecovery {
namespace {

using Files = testing::QuickFormatFiles;
using testing::cameraFiles;
using testing::fillAndQuickFormat;

// Every file is found in its folder under its long name, and exports byte for byte.
void expectRecovered(const Result& result, const Files& files, const std::filesystem::path& image,
                     const std::string& folderSuffix, bool throughEngineExport) {
    ASSERT_EQ(result.candidates.size(), files.size());
    for (const Candidate& candidate : result.candidates) {
        EXPECT_TRUE(isFromFoundFolder(candidate));
        EXPECT_TRUE(files.contains(candidate.displayName())) << candidate.displayName();
        EXPECT_TRUE(candidate.directoryLocation.starts_with("Found folders/Folder (cluster "));
        EXPECT_TRUE(candidate.directoryLocation.ends_with(folderSuffix)) << candidate.directoryLocation;
        EXPECT_TRUE(candidate.isContiguousAndFree);
        EXPECT_TRUE(candidate.evidenceText().starts_with("Found " + result.sourceFormat + " folder record"));
    }
    testing::TemporaryFolder destination;
    auto written = throughEngineExport
                       ? FATDeletedRecoveryEngine::exportImage(result.candidates, image, "card", destination.path(),
                                                               nullptr, {}, DeletedRecovery::ExportNaming::displayName)
                       : exportCandidates(result.candidates, FileReader(image), "card", destination.path());
    ASSERT_EQ(written.size(), files.size());
    for (const auto& path : written) {
        ASSERT_TRUE(files.contains(path.filename().string())) << path;
        EXPECT_EQ(testing::fileBytes(path), files.at(path.filename().string())) << path;
    }
}

TEST(OrphanFolders, RecoversAFAT32CameraFolderAfterAQuickFormat) {
    testing::FAT32Image card;
    Files files = cameraFiles();
    fillAndQuickFormat(card, files);
    // The new file system no longer sees the folder.
    EXPECT_TRUE(FATDeletedRecoveryEngine::scanImage(card.path()).first.empty());

    auto result = scan(FileReader(card.path()), "card");
    EXPECT_EQ(result.sourceFormat, "FAT32");
    ASSERT_TRUE(result.geometry);
    EXPECT_EQ(result.geometry->bytesPerCluster, 512);
    ASSERT_EQ(result.folders.size(), 2u);
    EXPECT_EQ(result.folders[1].name, "100TEST");
    EXPECT_EQ(result.folders[1].parentCluster, result.folders[0].cluster);
    EXPECT_EQ(result.folders[1].path,
              "Found folders/Folder (cluster " + std::to_string(result.folders[0].cluster) + ")/100TEST");
    // mcopy stamps each record with the time of the copy, moments ago (read as UTC, so
    // within a day whatever the zone).
    const auto now = std::chrono::system_clock::now();
    for (const Candidate& candidate : result.candidates) {
        EXPECT_TRUE(candidate.restoredShortName);
        ASSERT_TRUE(candidate.modified) << candidate.displayName();
        EXPECT_LT(std::chrono::abs(*candidate.modified - now), std::chrono::hours(26)) << candidate.displayName();
    }
    expectRecovered(result, files, card.path(), "/100TEST", true);
    expectRecovered(result, files, card.path(), "/100TEST", false);
}

TEST(OrphanFolders, TakesTheGeometryFromTheBackupBootSectorOrFromTheFoldersThemselves) {
    testing::FAT32Image card;
    Files files = cameraFiles();
    fillAndQuickFormat(card, files);
    testing::patchFile(card.path(), 0, std::vector<std::uint8_t>(512, 0));
    auto fromBackup = scan(FileReader(card.path()), "card");
    ASSERT_TRUE(fromBackup.geometry);
    EXPECT_EQ(fromBackup.geometry->source, GeometrySource::backupBootSector);
    expectRecovered(fromBackup, files, card.path(), "/100TEST", false);

    testing::patchFile(card.path(), 6 * 512, std::vector<std::uint8_t>(512, 0));
    auto inferred = scan(FileReader(card.path()), "card");
    ASSERT_TRUE(inferred.geometry);
    EXPECT_EQ(inferred.geometry->source, GeometrySource::inferred);
    EXPECT_EQ(inferred.geometry->bytesPerCluster, fromBackup.geometry->bytesPerCluster);
    EXPECT_EQ(inferred.geometry->dataOffset, fromBackup.geometry->dataOffset);
    expectRecovered(inferred, files, card.path(), "/100TEST", false);
}

TEST(OrphanFolders, RecoversAnExFATCameraFolderAfterAQuickFormat) {
    testing::ExFATImage card;
    auto dcim = card.makeDirectory(card.root(), "DCIM");
    auto camera = card.makeDirectory(dcim, "100TEST");
    Files files = cameraFiles();
    for (const auto& [name, bytes] : files) card.addFile(camera, name, bytes);
    card.save();
    ASSERT_EQ(testing::runTool("mkfs.exfat", {card.path().string()}), 0);
    EXPECT_TRUE(ExFATDeletedRecoveryEngine::scanImage(card.path()).first.empty());

    auto result = scan(FileReader(card.path()), "card");
    EXPECT_EQ(result.sourceFormat, "exFAT");
    ASSERT_EQ(result.folders.size(), 2u);
    EXPECT_EQ(result.folders[1].path,
              "Found folders/Folder (cluster " + std::to_string(result.folders[0].cluster) + ")/100TEST");
    expectRecovered(result, files, card.path(), "/100TEST", false);
    // The exFAT engine's own export reads the same runs.
    testing::TemporaryFolder destination;
    auto written = ExFATDeletedRecoveryEngine::exportImage(result.candidates, card.path(), "card", destination.path());
    ASSERT_EQ(written.size(), files.size());
    for (const auto& path : written) EXPECT_EQ(testing::fileBytes(path), files.at(path.filename().string())) << path;
}

TEST(OrphanFolders, FilesInClustersTheNewFileSystemTookAreGradedLowAndNotExported) {
    testing::FAT32Image card;
    card.makeDirectory("DCIM");
    card.makeDirectory("DCIM/100TEST");
    card.write("DCIM/100TEST/Holiday at the beach 0001.jpg", testing::SampleFiles::image("jpg", "160x120"));
    ASSERT_EQ(testing::runTool("mkfs.vfat", {"-F", "32", "-S", "512", "-s", "1", card.path().string()}), 0);
    auto before = scan(FileReader(card.path()), "card").candidates;
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(before[0].confidence, DeletedRecovery::Confidence::high);
    // A file written after the format into the photo's first cluster.
    testing::patchFile(card.path(), 512 + 492, testing::littleEndian(before[0].startCluster, 4));
    card.write("NEW.TXT", testing::SampleFiles::text(600));

    auto after = scan(FileReader(card.path()), "card").candidates;
    ASSERT_EQ(after.size(), 1u);
    EXPECT_FALSE(after[0].isContiguousAndFree);
    EXPECT_EQ(after[0].confidence, DeletedRecovery::Confidence::low);
    testing::TemporaryFolder destination;
    EXPECT_TRUE(exportCandidates(after, FileReader(card.path()), "card", destination.path()).empty());
}

TEST(OrphanFolders, CancellingEndsTheSearch) {
    testing::FAT32Image card;
    RecoveryCancellationToken token;
    token.cancel();
    try {
        scan(FileReader(card.path()), "card", &token);
        ADD_FAILURE() << "the search went on";
    } catch (const DeletedRecovery::RecoveryError& error) {
        EXPECT_EQ(error.errorCase(), DeletedRecovery::RecoveryError::Case::cancelled);
    }
}

TEST(OrphanFolders, SourcesWithoutFoundFoldersGiveAnEmptyResult) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> noise(8 * 1024 * 1024);
    for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
    EXPECT_TRUE(scan(MemoryReader(noise), "noise").candidates.empty());
    std::vector<std::uint8_t> zeros(8 * 1024 * 1024, 0);
    auto empty = scan(MemoryReader(zeros), "zeros");
    EXPECT_TRUE(empty.candidates.empty());
    EXPECT_TRUE(empty.folders.empty());

    testing::FAT32Image card;
    card.makeDirectory("DCIM");
    card.makeDirectory("DCIM/100TEST");
    card.write("DCIM/100TEST/Holiday at the beach 0001.jpg", testing::SampleFiles::image("jpg", "160x120"));
    auto bytes = testing::fileBytes(card.path());
    bytes.resize(testing::FAT32Image::rootDirectoryOffset - 4096);
    EXPECT_TRUE(scan(MemoryReader(bytes), "truncated").candidates.empty());

    testing::TemporaryFolder folder;
    auto ext4 = folder / "ext4.img";
    testing::writeFile(ext4, "");
    std::filesystem::resize_file(ext4, 8 * 1024 * 1024);
    ASSERT_EQ(testing::runTool("mkfs.ext4", {"-q", "-F", ext4.string()}), 0);
    EXPECT_TRUE(scan(FileReader(ext4), "ext4").candidates.empty());
}

}  // namespace
}  // namespace tidewell::OrphanFolderRecovery
