#include "platform/disk_usage.h"

#include <grp.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/file_properties.h"
#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;
using testing::writeFile;

// A visible tree with hidden parts, links and a big file outside it.
struct Tree {
    TemporaryFolder folder;
    fs::path root = folder / "App";
    std::int64_t visibleBytes = 0;

    Tree() {
        for (const char* name : {"App/binary", "App/Resources/strings", "App/Resources/Deep/icon"}) {
            writeFile(folder / name, std::string(3000, 'v'));
            visibleBytes += fileSize(folder / name);
        }
        writeFile(folder / "App/.cache/blob", std::string(200'000, 'h'));
        writeFile(folder / "App/Resources/.DS_Store", std::string(9000, 'h'));
        writeFile(folder / "big", std::string(1'000'000, 'b'));
        fs::create_symlink(folder / "big", root / "big-link");
        fs::create_directory_symlink(folder.path(), root / "Resources/loop");
        fs::create_symlink(folder / "gone", root / "dangling");
    }
};

TEST(DiskUsage, FileSizeIsTheAllocatedSize) {
    TemporaryFolder folder;
    writeFile(folder / "file", std::string(5000, 'x'));
    const auto allocated = fileProperties(folder / "file")->allocatedSize;
    ASSERT_TRUE(allocated);
    EXPECT_GE(*allocated, 5000);
    EXPECT_EQ(fileSize(folder / "file"), *allocated);
    EXPECT_EQ(directorySize(folder / "file"), *allocated);
    EXPECT_EQ(fileSize(folder / "missing"), 0);
    EXPECT_EQ(fileSize(folder.path()), 0);
}

TEST(DiskUsage, FolderSumSkipsHiddenEntriesAndLinks) {
    Tree tree;
    EXPECT_GT(tree.visibleBytes, 0);
    EXPECT_EQ(directorySize(tree.root), tree.visibleBytes);
    EXPECT_EQ(sizeIfExists(tree.root), tree.visibleBytes);
    // A hidden folder named directly is measured; only enumerated entries are skipped.
    EXPECT_EQ(directorySize(tree.root / ".cache"), fileSize(tree.root / ".cache/blob"));
}

TEST(DiskUsage, LinksAndMissingPathsMeasureNothing) {
    Tree tree;
    EXPECT_EQ(directorySize(tree.root / "big-link"), 0);
    EXPECT_EQ(directorySize(tree.root / "Resources/loop"), 0);
    EXPECT_EQ(sizeIfExists(tree.root / "dangling"), 0);
    EXPECT_EQ(sizeIfExists(tree.folder / "missing"), 0);
    EXPECT_EQ(directorySize(tree.folder / "missing"), 0);
    EXPECT_EQ(sizeIfExists(tree.folder / "big"), fileSize(tree.folder / "big"));
}

// Root reads every folder, so the unreadable case is measured as an
// unprivileged user in a child process.
void measureAsUnprivilegedUser(const fs::path& root, std::int64_t expected) {
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
        std::_Exit(2);
    }
    std::_Exit(directorySize(root) == expected ? 0 : 1);
}

TEST(DiskUsage, UnreadableFolderIsPassedOver) {
    Tree tree;
    writeFile(tree.root / "Locked/private", std::string(50'000, 'p'));
    fs::permissions(tree.folder.path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(tree.root / "Locked", fs::perms::none);
    EXPECT_EXIT(measureAsUnprivilegedUser(tree.root, tree.visibleBytes), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tidewell::platform
