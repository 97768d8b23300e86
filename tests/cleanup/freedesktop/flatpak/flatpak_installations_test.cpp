#include "cleanup/freedesktop/flatpak/flatpak_installations.h"

#include <gtest/gtest.h>

namespace tidewell::Freedesktop {
namespace {

TEST(FlatpakInstallationsTest, FindsTheAppIdOfAFlatpakRunCommand) {
    EXPECT_EQ(flatpakRunID({"/usr/bin/flatpak", "run", "--branch=stable", "--arch=x86_64", "--command=gimp",
                            "org.gimp.GIMP", "%U"}),
              "org.gimp.GIMP");
    EXPECT_EQ(flatpakRunID({"flatpak", "run", "org.tidewell.Hello"}), "org.tidewell.Hello");
    EXPECT_EQ(flatpakRunID({"flatpak", "update", "org.tidewell.Hello"}), std::nullopt);
    EXPECT_EQ(flatpakRunID({"flatpak", "run", "--user"}), std::nullopt);
    EXPECT_EQ(flatpakRunID({"gimp"}), std::nullopt);
}

}  // namespace
}  // namespace tidewell::Freedesktop
