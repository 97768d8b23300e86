#include "cleanup/freedesktop/debian/dpkg_database.h"

#include <gtest/gtest.h>

namespace tidewell::Freedesktop {
namespace {

TEST(DpkgDatabaseTest, KeepsInstalledPackagesAndTheirProtection) {
    const auto packages = parseDpkgPackages(
        "base-files\t12.4\t391\tyes\trequired\tinstall ok installed\n"
        "editor\t2:1.0-1\t40\t\toptional\tinstall ok installed\n"
        "gone\t1.0\t10\t\toptional\tdeinstall ok config-files\n"
        "shell\t5.2\t7000\tno\timportant\tinstall ok installed\n"
        "broken line without tabs\n"
        "odd\t1\tlots\t\textra\tinstall ok installed\n");
    ASSERT_EQ(packages.size(), 4u);
    EXPECT_EQ(packages.at("base-files"), (DpkgPackage{"12.4", 391 * 1024, true}));
    EXPECT_EQ(packages.at("editor"), (DpkgPackage{"2:1.0-1", 40 * 1024, false}));
    EXPECT_EQ(packages.at("shell"), (DpkgPackage{"5.2", 7000 * 1024, true}));
    EXPECT_EQ(packages.at("odd"), (DpkgPackage{"1", 0, false}));
    EXPECT_EQ(packages.count("gone"), 0u);
}

}  // namespace
}  // namespace tidewell::Freedesktop
