#include "firstaid/stale_work_folders.h"

#include <gtest/gtest.h>

#include "support/temporary_folder.h"

namespace tidewell::RepairWorkFolders {
namespace {

namespace fs = std::filesystem;
using std::chrono::hours;
using testing::TemporaryFolder;
using testing::writeFile;

void setAge(const fs::path& path, hours age) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

TEST(StaleWorkFolders, OnlyRepairWorkFoldersOlderThanADayAreRemoved) {
    TemporaryFolder temporary;
    TemporaryFolder outside;
    writeFile(temporary / "TidewellRepair-old/part.xml", "x");
    writeFile(temporary / "TidewellRepair-fresh/part.xml", "x");
    writeFile(temporary / "OtherRepair-old/part.xml", "x");
    writeFile(temporary / "TidewellRepair-file", "x");
    writeFile(outside / "keep.txt", "user data");
    fs::create_directory_symlink(outside.path(), temporary / "TidewellRepair-link");
    for (const char* name : {"TidewellRepair-old", "OtherRepair-old", "TidewellRepair-file"})
        setAge(temporary / name, hours(25));
    setAge(temporary / "TidewellRepair-fresh", hours(23));
    setAge(outside.path(), hours(48));

    cleanupStaleTemporaryDirectories(temporary.path(), std::chrono::system_clock::now());

    EXPECT_FALSE(fs::exists(temporary / "TidewellRepair-old"));
    EXPECT_TRUE(fs::exists(temporary / "TidewellRepair-fresh/part.xml"));
    EXPECT_TRUE(fs::exists(temporary / "OtherRepair-old/part.xml"));
    EXPECT_TRUE(fs::exists(temporary / "TidewellRepair-file"));
    EXPECT_TRUE(fs::is_symlink(temporary / "TidewellRepair-link"));
    EXPECT_TRUE(fs::exists(outside / "keep.txt"));
}

TEST(StaleWorkFolders, AMissingTemporaryFolderIsNoError) {
    TemporaryFolder temporary;
    EXPECT_NO_THROW(cleanupStaleTemporaryDirectories(temporary / "missing", std::chrono::system_clock::now()));
}

}  // namespace
}  // namespace tidewell::RepairWorkFolders
