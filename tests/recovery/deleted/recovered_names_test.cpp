#include <gtest/gtest.h>

#include "recovery/deleted/recovered_names.h"
#include "support/temporary_folder.h"

namespace tidewell::FATDeletedRecoveryEngine {
namespace {

TEST(RecoveredNames, ReplacesPathSeparatorsAndFillsEmptyNames) {
    EXPECT_EQ(safeFilename("a/b:c\\d.jpg"), "a-b-c-d.jpg");
    EXPECT_EQ(safeFilename(""), "Recovered-file");
    EXPECT_EQ(safeRecoveredName("_MG_0001.jpg", "JPEG", 7), "_MG_0001.jpg");
    EXPECT_EQ(safeRecoveredName("_.", "JPEG", 7), "Recovered-7.jpg");
    EXPECT_EQ(safeRecoveredName("_.", std::nullopt, 7), "Recovered-7");
}

TEST(RecoveredNames, NumbersFoldersAndFilesThatAreTaken) {
    testing::TemporaryFolder folder;
    EXPECT_EQ(uniqueExportDirectory("SD/CARD", folder.path()), folder / "Tidewell-Deleted-Recovery-SD-CARD");
    std::filesystem::create_directory(folder / "Tidewell-Deleted-Recovery-CARD");
    std::filesystem::create_directory(folder / "Tidewell-Deleted-Recovery-CARD-2");
    EXPECT_EQ(uniqueExportDirectory("CARD", folder.path()), folder / "Tidewell-Deleted-Recovery-CARD-3");

    testing::writeFile(folder / "_MG_0001.jpg", "x");
    EXPECT_EQ(uniqueFileURL(folder / "_MG_0001.jpg", {}), folder / "_MG_0001 2.jpg");
    EXPECT_EQ(uniqueFileURL(folder / "_MG_0001.jpg", {folder / "_MG_0001 2.jpg"}), folder / "_MG_0001 3.jpg");
    EXPECT_EQ(uniqueFileURL(folder / "_CAN", {folder / "_CAN"}), folder / "_CAN 2");
    EXPECT_EQ(uniqueFileURL(folder / "fresh.png", {}), folder / "fresh.png");
}

TEST(RecoveredNames, ExportsUnderTheShownNameOnlyWhenAskedAndWhenItFits) {
    Candidate candidate{.name = "_OLIDA~1.pdf", .longName = "Trip: day 1\\2.pdf"};
    EXPECT_EQ(exportFileName(candidate, ExportNaming::entryName), "_OLIDA~1.pdf");
    EXPECT_EQ(exportFileName(candidate, ExportNaming::displayName), "Trip- day 1-2.pdf");
    // 128 two-byte characters: 256 bytes, one more than a file name holds.
    std::string wide;
    for (int i = 0; i < 128; ++i) wide += "\xC3\xA9";
    candidate.longName = wide;
    EXPECT_EQ(exportFileName(candidate, ExportNaming::displayName), "_OLIDA~1.pdf");
    candidate.longName = wide.substr(2);
    EXPECT_EQ(exportFileName(candidate, ExportNaming::displayName), wide.substr(2));
    candidate.longName.reset();
    EXPECT_EQ(exportFileName(candidate, ExportNaming::displayName), "_OLIDA~1.pdf");
}

}  // namespace
}  // namespace tidewell::FATDeletedRecoveryEngine
