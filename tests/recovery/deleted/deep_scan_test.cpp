#include "recovery/deleted/deep_scan.h"

#include <gtest/gtest.h>

#include "recovery/deleted/file_reader.h"
#include "recovery/deleted/quick_format_fixture.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell::DeepScan {
namespace {

TEST(DeepScan, FindsTheFilesOfAQuickFormattedCardAndLeavesNothingCarvedYet) {
    testing::FAT32Image card;
    const testing::QuickFormatFiles files = testing::cameraFiles();
    testing::fillAndQuickFormat(card, files);
    std::vector<std::pair<double, std::string>> lines;
    const Result result = scan(FileReader(card.path()), "card", nullptr,
                               [&](double fraction, const std::string& line) { lines.emplace_back(fraction, line); });
    ASSERT_EQ(result.foundFolderCandidates.size(), files.size());
    EXPECT_TRUE(result.carvedCandidates.empty());
    EXPECT_EQ(result.folders.size(), 2u);
    EXPECT_EQ(result.report.candidatesFound, 5);
    EXPECT_EQ(result.candidates(), result.foundFolderCandidates);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), std::make_pair(1.0, std::string("Found 5 files in 2 folders")));
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_LE(lines[i - 1].first, lines[i].first) << lines[i].second;
}

TEST(DeepScan, TheUnclaimedRunsAreTheDataClustersNoFoundRecordCovers) {
    OrphanFolderRecovery::Result found;
    EXPECT_TRUE(unclaimedRuns(found).empty());  // no geometry, nothing to carve
    found.geometry = OrphanFolderRecovery::Geometry{.bytesPerCluster = 512, .dataOffset = 0, .clusterCount = 20};
    EXPECT_EQ(unclaimedRuns(found), (std::vector<ClusterRun>{{2, 20}}));
    found.folders = {{.cluster = 2}, {.cluster = 5}};
    Candidate inside{.startCluster = 6, .clustersRequired = 3};
    Candidate overlapping{.startCluster = 7, .clustersRequired = 1};
    Candidate pastTheEnd{.startCluster = 20, .clustersRequired = 10};
    found.candidates = {inside, overlapping, pastTheEnd};
    EXPECT_EQ(unclaimedRuns(found), (std::vector<ClusterRun>{{3, 2}, {9, 11}}));
}

TEST(DeepScan, ExportFoldersStayInsideTheExportFolder) {
    Candidate found{.directoryLocation = "Found folders/../DCIM//./a:b", .fromFoundFolder = true};
    EXPECT_EQ(exportSubfolder(found), std::filesystem::path("Found folders/-/DCIM/-/a-b"));
    Candidate carved{.kind = RecoveryCandidateKind::photo};
    EXPECT_EQ(exportSubfolder(carved),
              std::filesystem::path(carvedFilesRoot) / RecoveryCandidateKinds::rawValue(RecoveryCandidateKind::photo));
}

TEST(DeepScan, CancellingEndsTheScan) {
    testing::FAT32Image card;
    RecoveryCancellationToken token;
    token.cancel();
    try {
        scan(FileReader(card.path()), "card", &token);
        ADD_FAILURE() << "the scan went on";
    } catch (const DeletedRecovery::RecoveryError& error) {
        EXPECT_EQ(error.errorCase(), DeletedRecovery::RecoveryError::Case::cancelled);
    }
}

}  // namespace
}  // namespace tidewell::DeepScan
