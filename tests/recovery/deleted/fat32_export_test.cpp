#include <gtest/gtest.h>

#include "recovery/deleted/fat32_image_fixture.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "recovery/deleted/file_reader.h"

namespace tidewell::FATDeletedRecoveryEngine {
namespace {

using testing::FAT32Image;
using testing::TemporaryFolder;

// Counts reads and can fail from a given read on, to stand for a failing medium.
class ObservedReader : public RawReader {
public:
    explicit ObservedReader(std::filesystem::path image) : file_(std::move(image)) {}
    std::vector<std::uint8_t> read(std::int64_t offset, std::size_t length) const override {
        ++reads;
        lengths.push_back(length);
        if (reads == failingRead)
            throw RecoveryError::unavailableSource(
                "The recovery image ended before the requested sector could be read.");
        return file_.read(offset, length);
    }
    mutable int reads = 0;
    mutable std::vector<std::size_t> lengths;
    int failingRead = 0;

private:
    FileReader file_;
};

std::string reportOf(const std::filesystem::path& exported) {
    return testing::readFile(exported.parent_path() / "Tidewell-Deleted-Recovery-Report.txt");
}

TEST(FAT32Export, WritesEveryFreeCandidateByteForByteWithAReport) {
    FAT32Image card;
    auto deleted = testing::fillCameraCard(card);
    auto [candidates, report] = scanImage(card.path());
    TemporaryFolder destination;
    std::vector<std::string> progress;
    auto written = exportImage(candidates, card.path(), "FAT32 image", destination.path(), nullptr,
                               [&](double, const std::string& text) { progress.push_back(text); });
    ASSERT_EQ(written.size(), 6u);
    auto folder = destination / "Tidewell-Deleted-Recovery-FAT32 image";
    for (std::size_t i = 0; i < written.size(); ++i) {
        EXPECT_EQ(written[i], folder / candidates[i].name);
        auto original = std::find_if(deleted.begin(), deleted.end(),
                                     [&](const auto& d) { return d.recoveredName == candidates[i].name; });
        ASSERT_NE(original, deleted.end());
        EXPECT_EQ(testing::fileBytes(written[i]), original->bytes) << candidates[i].name;
    }
    EXPECT_EQ(progress.front(), "Recovered 1 of 6 selected files");
    EXPECT_EQ(progress.back(), "Recovered 6 of 6 selected files");
    auto text = reportOf(written[0]);
    const std::string head =
        "Tidewell FAT32 Deleted-file Recovery Report\nSource: FAT32 image\nRecovered: 6 file(s)\nDate: ";
    ASSERT_TRUE(text.starts_with(head)) << text;
    auto date = text.substr(head.size(), 20);
    EXPECT_EQ(date.size(), 20u);
    EXPECT_EQ(date[10], 'T');
    EXPECT_EQ(date[19], 'Z');
    EXPECT_EQ(text.substr(head.size() + 20),
              "\n\nMethod: deleted FAT32 directory entries with a currently unallocated, contiguous cluster run. The "
              "source device was opened read-only and was never modified. A recovered file can still be incomplete or "
              "overwritten; verify it before relying on it.\n\nNo export warnings.");
}

TEST(FAT32Export, NeverReusesAFolderOrAFileName) {
    FAT32Image card;
    testing::fillCameraCard(card);
    auto [candidates, report] = scanImage(card.path());
    TemporaryFolder destination;
    std::filesystem::create_directory(destination / "Tidewell-Deleted-Recovery-CARD");
    auto twin = candidates.front();
    twin.name = "DCIM/" + twin.name;  // sanitised to a different name
    auto same = candidates.front();
    auto written = exportImage({candidates.front(), same, twin}, card.path(), "CARD", destination.path());
    auto folder = destination / "Tidewell-Deleted-Recovery-CARD-2";
    auto stem = std::filesystem::path(same.name).stem().string(),
         extension = std::filesystem::path(same.name).extension().string();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[0], folder / same.name);
    EXPECT_EQ(written[1], folder / (stem + " 2" + extension));
    EXPECT_EQ(written[2], folder / ("DCIM-" + same.name));
    EXPECT_EQ(testing::fileBytes(written[0]), testing::fileBytes(written[1]));
}

TEST(FAT32Export, SkipsRunsThatAreNotFreeAndStillWritesTheReport) {
    FAT32Image card;
    testing::fillCardWithReusedClusters(card);
    auto [candidates, report] = scanImage(card.path());
    TemporaryFolder destination;
    auto written = exportImage(candidates, card.path(), "CARD", destination.path());
    EXPECT_TRUE(written.empty());
    auto text =
        testing::readFile(destination / "Tidewell-Deleted-Recovery-CARD" / "Tidewell-Deleted-Recovery-Report.txt");
    EXPECT_NE(text.find("\nRecovered: 0 file(s)\n"), std::string::npos);
    EXPECT_TRUE(text.ends_with(
        "overwritten; verify it before relying on it.\n\nSkipped _HOTO.jpg: cluster reuse is uncertain."))
        << text;
}

TEST(FAT32Export, KeepsGoingAfterAFailedCopyAndLeavesThePartialFile) {
    FAT32Image card;
    testing::fillCameraCard(card);
    auto [candidates, report] = scanImage(card.path());
    auto large = candidates[0];
    large.sizeBytes = 4'194'305;  // two chunks; the second read fails
    ObservedReader reader(card.path());
    reader.failingRead = 3;  // after the boot sector and the first chunk
    TemporaryFolder destination;
    auto written = exportCandidates({large, candidates[1]}, reader, "CARD", destination.path());
    auto folder = destination / "Tidewell-Deleted-Recovery-CARD";
    ASSERT_EQ(written, (std::vector<std::filesystem::path>{folder / candidates[1].name}));
    EXPECT_EQ(std::filesystem::file_size(folder / large.name), 4'194'304u);
    EXPECT_TRUE(reportOf(written[0])
                    .ends_with("\n\nCould not recover " + large.name +
                               ": The recovery image ended before the requested sector could be "
                               "read."));
}

TEST(FAT32Export, StreamsInChunksOfFourMebibytes) {
    FAT32Image card;
    testing::fillCameraCard(card);
    auto [candidates, report] = scanImage(card.path());
    auto exact = candidates.front(), larger = candidates.front();
    exact.sizeBytes = 4'194'304;
    larger.sizeBytes = 4'194'305;
    ObservedReader reader(card.path());
    TemporaryFolder destination;
    exportCandidates({exact, larger}, reader, "CARD", destination.path());
    EXPECT_EQ(reader.lengths, (std::vector<std::size_t>{512, 4'194'304, 4'194'304, 1}));
}

TEST(FAT32Export, RefusesAnEmptySelectionAndCancelsBetweenCandidates) {
    FAT32Image card;
    testing::fillCameraCard(card);
    auto [candidates, report] = scanImage(card.path());
    TemporaryFolder destination;
    try {
        exportImage({}, card.path(), "CARD", destination.path());
        FAIL();
    } catch (const RecoveryError& error) {
        EXPECT_EQ(error.errorCase(), RecoveryError::Case::noCandidates);
        EXPECT_STREQ(error.what(), "Select at least one deleted-file candidate to export.");
    }
    EXPECT_TRUE(std::filesystem::is_empty(destination.path()));
    RecoveryCancellationToken token;
    auto cancelAfterFirst = [&](double, const std::string&) { token.cancel(); };
    EXPECT_THROW(exportImage(candidates, card.path(), "CARD", destination.path(), &token, cancelAfterFirst),
                 RecoveryError);
    EXPECT_TRUE(std::filesystem::exists(destination / "Tidewell-Deleted-Recovery-CARD" / candidates[0].name));
}

TEST(FAT32LiveExport, RefusesDestinationsOnTheSourceVolume) {
    ExternalRecoveryVolume volume{
        .name = "CARD", .mountURL = "/media/CARD", .deviceIdentifier = "sdb1", .fileSystem = "vfat"};
    Candidate candidate{.name = "_MG_0001.jpg", .sizeBytes = 10, .startCluster = 3, .isContiguousAndFree = true};
    for (auto destination : {"/media/CARD", "/media/CARD/", "/media/CARD/Rescued", "/media/./CARD/x/.."}) {
        try {
            exportCandidates({candidate}, volume, destination);
            FAIL() << destination;
        } catch (const RecoveryError& error) {
            EXPECT_EQ(error.errorCase(), RecoveryError::Case::unsafeDestination);
            EXPECT_STREQ(error.what(),
                         "Choose a different drive or folder. Tidewell never writes recovered files back onto the "
                         "source media.");
        }
    }
    // A sibling whose name merely extends the source's passes the guard and meets the raw-device
    // road, here without a helper and with an authorization tool that refuses.
    testing::ScopedEnvironment socket("TIDEWELL_HELPER_SOCKET", "/nonexistent/tidewell-test.sock");
    testing::ScopedEnvironment pkexec("TIDEWELL_PKEXEC", "/bin/false");
    for (auto destination : {"/media/CARD2", "/media/CARD 2/Rescued"}) {
        try {
            exportCandidates({candidate}, volume, destination);
            FAIL() << destination;
        } catch (const RecoveryError& error) {
            EXPECT_EQ(error.errorCase(), RecoveryError::Case::administratorAuthorizationFailed) << destination;
        }
    }
    // A link into the mount is followed.
    TemporaryFolder mount;
    TemporaryFolder elsewhere;
    std::filesystem::create_symlink(mount.path(), elsewhere.path() / "card");
    volume.mountURL = mount.path();
    for (auto destination : {elsewhere.path() / "card" / "Rescued"}) {
        try {
            exportCandidates({candidate}, volume, destination);
            FAIL() << destination;
        } catch (const RecoveryError& error) {
            EXPECT_EQ(error.errorCase(), RecoveryError::Case::unsafeDestination) << destination;
        }
    }
    volume.deviceIdentifier.reset();
    try {
        exportCandidates({candidate}, volume, "/media/CARD2");
        FAIL();
    } catch (const RecoveryError& error) {
        EXPECT_STREQ(error.what(), "Tidewell could not identify the raw device behind CARD.");
    }
}

}  // namespace
}  // namespace tidewell::FATDeletedRecoveryEngine
