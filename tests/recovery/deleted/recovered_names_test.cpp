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

}  // namespace
}  // namespace tidewell::FATDeletedRecoveryEngine
