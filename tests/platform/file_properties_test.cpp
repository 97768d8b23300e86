#include "platform/file_properties.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;
using testing::writeFile;

TEST(FileProperties, RegularFile) {
    TemporaryFolder folder;
    const auto path = folder / "notes.txt";
    writeFile(path, std::string(5000, 'x'));
    const timespec times[2] = {{1'700'000'000, 0}, {1'600'000'000, 500'000'000}};  // access, modification
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);

    const auto properties = fileProperties(path);
    ASSERT_TRUE(properties);
    EXPECT_TRUE(properties->isRegularFile);
    EXPECT_FALSE(properties->isDirectory || properties->isSymbolicLink || properties->isHidden);
    EXPECT_EQ(properties->logicalSize, 5000);
    ASSERT_TRUE(properties->allocatedSize);
    EXPECT_EQ(*properties->allocatedSize % 512, 0);
    EXPECT_EQ(properties->totalAllocatedSize, properties->allocatedSize);
    EXPECT_FALSE(properties->addedDate);
    EXPECT_EQ(properties->accessDate, std::chrono::system_clock::time_point(std::chrono::seconds(1'700'000'000)));
    EXPECT_EQ(properties->modificationDate,
              std::chrono::system_clock::time_point(std::chrono::milliseconds(1'600'000'000'500)));
}

TEST(FileProperties, SparseFileAllocatesLessThanItsLength) {
    TemporaryFolder folder;
    const auto path = folder / "sparse.img";
    writeFile(path, "");
    fs::resize_file(path, 64 * 1024 * 1024);
    const auto properties = fileProperties(path);
    ASSERT_TRUE(properties && properties->allocatedSize);
    EXPECT_EQ(properties->logicalSize, 64 * 1024 * 1024);
    EXPECT_LT(*properties->allocatedSize, properties->logicalSize);
}

TEST(FileProperties, FoldersLinksAndHiddenNames) {
    TemporaryFolder folder;
    writeFile(folder / ".secret", "x");
    fs::create_directory(folder / "Photos");
    fs::create_symlink(folder / ".secret", folder / "link");

    const auto hidden = fileProperties(folder / ".secret");
    ASSERT_TRUE(hidden);
    EXPECT_TRUE(hidden->isHidden && hidden->isRegularFile);

    const auto directory = fileProperties(folder / "Photos/");
    ASSERT_TRUE(directory);
    EXPECT_TRUE(directory->isDirectory);
    EXPECT_FALSE(directory->isHidden || directory->isRegularFile || directory->allocatedSize);

    const auto link = fileProperties(folder / "link");
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->isSymbolicLink);
    EXPECT_FALSE(link->isRegularFile || link->isHidden || link->allocatedSize);

    EXPECT_FALSE(fileProperties(folder / "missing"));
    EXPECT_FALSE(fileProperties(""));
}

}  // namespace
}  // namespace tidewell::platform
