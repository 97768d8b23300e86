#include "util/atomic_file.h"

#include <gtest/gtest.h>

#include <system_error>

#include "support/temporary_folder.h"

namespace tidewell {
namespace {

using testing::readFile;
using testing::TemporaryFolder;
using testing::writeFile;

std::size_t entryCount(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()));
}

TEST(AtomicFile, WritesAndReplacesWithoutLeftovers) {
    TemporaryFolder folder;
    const auto path = folder / "history.json";
    writeFileAtomically(path, "first");
    EXPECT_EQ(readFile(path), "first");
    writeFileAtomically(path, "second, longer");
    EXPECT_EQ(readFile(path), "second, longer");
    writeFileAtomically(path, "");
    EXPECT_EQ(readFile(path), "");
    EXPECT_EQ(entryCount(folder.path()), 1u);
}

TEST(AtomicFile, CreatesMissingParentFolders) {
    TemporaryFolder folder;
    const auto path = folder / "Application Support" / "Tidewell" / "reports.json";
    writeFileAtomically(path, "[]");
    EXPECT_EQ(readFile(path), "[]");
}

TEST(AtomicFile, FailureThrowsAndLeavesNoTemporaryFile) {
    TemporaryFolder folder;
    std::filesystem::create_directories(folder / "occupied" / "child");
    EXPECT_THROW(writeFileAtomically(folder / "occupied", "x"), std::system_error);
    EXPECT_EQ(entryCount(folder.path()), 1u);

    writeFile(folder / "plain", "keep");
    EXPECT_THROW(writeFileAtomically(folder / "plain" / "below.json", "x"), std::system_error);
    EXPECT_EQ(readFile(folder / "plain"), "keep");
    EXPECT_EQ(entryCount(folder.path()), 2u);
}

}  // namespace
}  // namespace tidewell
