#include <gtest/gtest.h>

#include "recovery/deleted/exfat_card_fixture.h"
#include "recovery/deleted/exfat_deleted_recovery_engine.h"

namespace tidewell::ExFATDeletedRecoveryEngine {
namespace {

TEST(ExFATExport, RecoversFreeRunsByteForByteAndSkipsReusedOnes) {
    testing::ExFATCard card;
    auto before = testing::readFile(card.image.path());
    auto [candidates, report] = scanImage(card.image.path());
    testing::TemporaryFolder destination;
    auto written = exportImage(candidates, card.image.path(), "exFAT image", destination.path());
    ASSERT_EQ(written.size(), 2u);
    auto folder = destination / "Tidewell-Deleted-Recovery-exFAT image";
    EXPECT_EQ(testing::fileBytes(folder / "IMG_0001.JPG"), card.jpeg);
    EXPECT_EQ(testing::fileBytes(folder / "Beach_sunset_001.png"), card.png);
    auto text = testing::readFile(folder / "Tidewell-Deleted-Recovery-Report.txt");
    EXPECT_TRUE(
        text.starts_with("Tidewell exFAT Deleted-file Recovery Report\nSource: exFAT image\nRecovered: 2 "
                         "file(s)\nDate: "))
        << text;
    EXPECT_TRUE(
        text.ends_with("\n\nMethod: deleted exFAT file entry sets with a currently unallocated, contiguous "
                       "cluster run. The source device was opened read-only and was never modified. A "
                       "recovered file can still be incomplete or overwritten; verify it before relying on "
                       "it.\n\nSkipped reused.jpg: allocation bitmap shows possible cluster reuse."))
        << text;
    EXPECT_EQ(testing::readFile(card.image.path()), before);
}

TEST(ExFATExport, RefusesAnEmptySelection) {
    testing::ExFATCard card;
    testing::TemporaryFolder destination;
    EXPECT_THROW(exportImage({}, card.image.path(), "exFAT image", destination.path()), RecoveryError);
    ExternalRecoveryVolume volume{.name = "CARD", .mountURL = "/media/CARD", .deviceIdentifier = "sdb1"};
    try {
        exportCandidates({Candidate{}}, volume, "/media/CARD/Rescued");
        FAIL();
    } catch (const RecoveryError& error) {
        EXPECT_EQ(error.errorCase(), RecoveryError::Case::unsafeDestination);
    }
}

}  // namespace
}  // namespace tidewell::ExFATDeletedRecoveryEngine
