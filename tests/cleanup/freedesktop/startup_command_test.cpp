#include "cleanup/freedesktop/startup_command.h"

#include <gtest/gtest.h>

namespace tidewell::Freedesktop {
namespace {

using Words = std::vector<std::string>;

TEST(StartupCommand, WordsWithQuotesFieldCodesAndPrefixes) {
    EXPECT_EQ(commandWords("\"/opt/My App/run\" --x %U"), (Words{"/opt/My App/run", "--x"}));
    EXPECT_EQ(commandWords("-/usr/bin/tool 'a b'"), (Words{"/usr/bin/tool", "a b"}));
    EXPECT_EQ(commandWords("@/usr/bin/tool"), (Words{"/usr/bin/tool"}));
    EXPECT_EQ(commandWords("tool \"unterminated"), Words{});
    EXPECT_EQ(commandWords(""), Words{});
}

TEST(StartupCommand, ExecLinesKeepTheirFirstCharacterButDropFieldCodes) {
    EXPECT_EQ(execWords("-/usr/bin/tool %f"), (Words{"-/usr/bin/tool"}));
    EXPECT_EQ(execWords("env LANG=C \"/opt/My App/run\" %U"), (Words{"env", "LANG=C", "/opt/My App/run"}));
}

TEST(StartupCommand, FindsTheAppIdOfAFlatpakRunCommand) {
    EXPECT_EQ(flatpakIDOf({"/usr/bin/flatpak", "run", "--branch=stable", "--arch=x86_64", "--command=gimp",
                           "org.gimp.GIMP", "%U"}),
              "org.gimp.GIMP");
    EXPECT_EQ(flatpakIDOf({"flatpak", "run", "org.tidewell.Hello"}), "org.tidewell.Hello");
    EXPECT_EQ(flatpakIDOf({"flatpak", "update", "org.tidewell.Hello"}), "");
    EXPECT_EQ(flatpakIDOf({"flatpak", "run", "--user"}), "");
    EXPECT_EQ(flatpakIDOf({"gimp"}), "");
}

TEST(StartupCommand, ProgramKeepsTheRunCommandsWhole) {
    EXPECT_EQ(programOf({"/opt/My App/run", "--x"}), "/opt/My App/run");
    EXPECT_EQ(programOf({"/usr/bin/flatpak", "run", "--branch=stable", "org.example.Viewer"}),
              "/usr/bin/flatpak run --branch=stable org.example.Viewer");
    EXPECT_EQ(programOf({"snap", "run", "editor"}), "snap run editor");
    EXPECT_EQ(programOf({}), "");
}

TEST(StartupCommand, FlatpakIDAndSnapName) {
    EXPECT_EQ(flatpakIDOf({"flatpak", "run", "--arch=x86_64", "--command=viewer", "org.example.Viewer", "file"}),
              "org.example.Viewer");
    EXPECT_EQ(flatpakIDOf({"flatpak", "list"}), "");
    EXPECT_EQ(flatpakIDOf({"/usr/bin/tool", "run", "x"}), "");
    EXPECT_EQ(snapNameOf({"snap", "run", "editor.daemon"}), "editor");
    EXPECT_EQ(snapNameOf({"/snap/bin/editor"}), "editor");
    EXPECT_EQ(snapNameOf({"/snap/bin/editor.tool", "x"}), "editor");
    EXPECT_EQ(snapNameOf({"/snap/bin/"}), "");
    EXPECT_EQ(snapNameOf({"/usr/bin/editor"}), "");
}

}  // namespace
}  // namespace tidewell::Freedesktop
