#include "firstaid/output_files.h"

#include <gtest/gtest.h>

#include "support/temporary_folder.h"

namespace tidewell::FileFirstAidEngine {
namespace {

namespace fs = std::filesystem;
using tidewell::testing::readFile;
using tidewell::testing::TemporaryFolder;
using tidewell::testing::writeFile;

TEST(OutputFiles, FirstFreePathCountsFilesFoldersAndDanglingLinks) {
    TemporaryFolder folder;
    EXPECT_EQ(firstFreeOutputPath(folder.path(), "a", "txt"), folder / "a.txt");
    writeFile(folder / "a.txt", "x");
    fs::create_directory(folder / "a (2).txt");
    fs::create_symlink(folder / "missing", folder / "a (3).txt");
    EXPECT_EQ(firstFreeOutputPath(folder.path(), "a", "txt"), folder / "a (4).txt");
    fs::create_directory(folder / "b");
    EXPECT_EQ(firstFreeOutputPath(folder.path(), "b", ""), folder / "b (2)");
}

TEST(OutputFiles, WritesWholeContentsOrThrowsWithTheMessage) {
    TemporaryFolder folder;
    writeFileContents(folder / "data", std::string_view("a\0b", 3), "Cannot write data");
    EXPECT_EQ(readFile(folder / "data"), std::string("a\0b", 3));
    try {
        writeFileContents(folder / "missing" / "data", "x", "Cannot write data");
        FAIL() << "expected an error";
    } catch (const fs::filesystem_error& error) {
        EXPECT_EQ(error.path1(), folder / "missing" / "data");
        EXPECT_EQ(error.code(), std::make_error_code(std::errc::io_error));
        EXPECT_NE(std::string(error.what()).find("Cannot write data"), std::string::npos);
    }
}

}  // namespace
}  // namespace tidewell::FileFirstAidEngine
