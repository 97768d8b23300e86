#include "util/path_containment.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

TEST(PathContainment, EqualOrBelowWithASlash) {
    EXPECT_TRUE(isPathInside("/Applications", "/Applications"));
    EXPECT_TRUE(isPathInside("/Applications/Notes.app", "/Applications"));
    EXPECT_FALSE(isPathInside("/ApplicationsOld", "/Applications"));
    EXPECT_FALSE(isPathInside("/ApplicationsOld/x", "/Applications"));
    EXPECT_FALSE(isPathInside("/", "/Applications"));
    EXPECT_FALSE(isPathInside("/Applications", "/Applications/Notes.app"));
}

TEST(PathContainment, FolderWithTrailingSlashAndRoot) {
    EXPECT_TRUE(isPathInside("/tmp/x", "/tmp/"));
    EXPECT_TRUE(isPathInside("/tmp", "/tmp/"));
    EXPECT_TRUE(isPathInside("/home/user", "/"));
    EXPECT_TRUE(isPathInside("/", "/"));
    EXPECT_FALSE(isPathInside("relative/x", "/"));
    EXPECT_FALSE(isPathInside("/x", ""));
}

TEST(PathContainment, FilesystemPaths) {
    EXPECT_TRUE(isPathInside(std::filesystem::path("/media/usb/DCIM"), std::filesystem::path("/media/usb")));
    EXPECT_FALSE(isPathInside(std::filesystem::path("/media/usb2"), std::filesystem::path("/media/usb")));
}

}  // namespace
}  // namespace tidewell
