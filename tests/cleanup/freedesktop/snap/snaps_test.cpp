#include "cleanup/freedesktop/snap/snaps.h"

#include <gtest/gtest.h>

namespace tidewell::Freedesktop {
namespace {

TEST(SnapsTest, ReadsTheVersionLine) {
    EXPECT_EQ(snapVersion("name: tiny\nversion: '3.1'\nsummary: x\n"), "3.1");
    EXPECT_EQ(snapVersion("name: tiny\nversion: 118.0.2-1  \n"), "118.0.2-1");
    EXPECT_EQ(snapVersion("name: tiny\nversion: \"2\"\r\n"), "2");
    EXPECT_EQ(snapVersion("name: tiny\n  version: nested\n"), "-");
    EXPECT_EQ(snapVersion("version:\n"), "-");
}

TEST(SnapsTest, NamesTheSnapOfAnExportedEntry) {
    EXPECT_EQ(snapNameOfEntry("firefox_firefox.desktop"), "firefox");
    EXPECT_EQ(snapNameOfEntry("code_code-url-handler.desktop"), "code");
    EXPECT_EQ(snapNameOfEntry("solo.desktop"), "solo");
}

}  // namespace
}  // namespace tidewell::Freedesktop
