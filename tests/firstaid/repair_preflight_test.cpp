#include <gtest/gtest.h>

#include "firstaid/repair_export.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

using namespace FileFirstAidEngine;
namespace fs = std::filesystem;

const std::string samePath = "Choose a different output path. Tidewell never overwrites the original file.";

std::string refusal(const fs::path& source, const fs::path& output, FileRepairKind kind) {
    try {
        preflightExport(source, output, kind);
    } catch (const RepairError& error) {
        EXPECT_EQ(error.errorCase(), RepairError::Case::writeFailed);
        return error.what();
    }
    return "passed";
}

TEST(RepairPreflightTest, TheSourceIsNeverTheOutputInAnySpelling) {
    testing::TemporaryFolder folder;
    testing::writeFile(folder / "in/a.zip", "zip");
    const fs::path source = folder / "in/a.zip";
    EXPECT_EQ(refusal(source, source, FileRepairKind::zipArchive), samePath);
    EXPECT_EQ(refusal(source, folder / "in/./a.zip", FileRepairKind::zipArchive), samePath);
    EXPECT_EQ(refusal(source, folder / "in/sub/../a.zip", FileRepairKind::pdfDocument), samePath);
    fs::create_directory_symlink(folder / "in", folder / "link");
    EXPECT_EQ(refusal(source, folder / "link/a.zip", FileRepairKind::zipArchive), samePath);
    EXPECT_TRUE(fs::exists(source));

    EXPECT_EQ(refusal(source, folder / "in/a-repaired.zip", FileRepairKind::zipArchive), "passed");
    // An output folder whose volume cannot be asked about passes the space check.
    EXPECT_EQ(refusal(source, folder / "missing/deeper/a.zip", FileRepairKind::zipArchive), "passed");
}

}  // namespace
}  // namespace tidewell
