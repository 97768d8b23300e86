#include "util/path_containment.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

struct Case {
    const char* path;
    const char* folder;
    bool inside;
};

TEST(PathContainment, EqualOrBelowWithASlash) {
    const Case cases[] = {
        {"/Applications", "/Applications", true},
        {"/Applications/Notes.app", "/Applications", true},
        {"/ApplicationsOld", "/Applications", false},
        {"/ApplicationsOld/x", "/Applications", false},
        {"/", "/Applications", false},
        {"/Applications", "/Applications/Notes.app", false},
        // A folder written with a trailing slash, and the root folder.
        {"/tmp/x", "/tmp/", true},
        {"/tmp", "/tmp/", true},
        {"/home/user", "/", true},
        {"/", "/", true},
        {"relative/x", "/", false},
        {"/x", "", false},
    };
    for (const Case& item : cases) {
        EXPECT_EQ(isPathInside(item.path, item.folder), item.inside) << item.path << " in " << item.folder;
    }
}

TEST(PathContainment, FilesystemPaths) {
    EXPECT_TRUE(isPathInside(std::filesystem::path("/media/usb/DCIM"), std::filesystem::path("/media/usb")));
    EXPECT_FALSE(isPathInside(std::filesystem::path("/media/usb2"), std::filesystem::path("/media/usb")));
}

}  // namespace
}  // namespace tidewell
