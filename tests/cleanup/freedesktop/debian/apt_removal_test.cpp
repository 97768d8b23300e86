#include "cleanup/freedesktop/debian/apt_removal.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include "cleanup/fake_tool.h"
#include "cleanup/linux_system_fixture.h"
#include "platform/folder_locations.h"
#include "process/command_runner.h"

namespace tidewell::Freedesktop {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::LinuxSystemFixture;

template <typename Call>
std::string errorOf(Call call) {
    try {
        call();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "no error";
}

TEST(AptSimulationParseTest, KeepsRemovedPackagesInOrderWithoutArchitecture) {
    const std::string output =
        "NOTE: This is only a simulation!\n"
        "Reading package lists...\n"
        "The following packages will be REMOVED:\n"
        "  tw-app tw-lib\n"
        "Remv tw-login:amd64 [1.0-1] [tw-shell:amd64 ]\n"
        "Remv tw-app [2:1.0-1]\n"
        "Remv libfoo+x.1:i386 [3]\n"
        "Remv tw-app [2:1.0-1]\n"
        "Remv\n"
        "Remv -o [1]\n"
        "Remove tw-other\n"
        " Remv tw-indented [1]\n"
        "Inst tw-new [1]\n"
        "Conf tw-new [1]\n"
        "Remv tw-last";
    EXPECT_THAT(parseAptSimulation(output), ElementsAre("tw-login", "tw-app", "libfoo+x.1", "tw-last"));
    EXPECT_THAT(parseAptSimulation(""), IsEmpty());
}

// A re-rooted system with a viewer that depends on its library, a required login package
// that depends on a shell, and two leaf packages. apt runs for real against the root.
class AptRemovalTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!LinuxSystemFixture::haveDebianTools()) GTEST_SKIP() << "apt-get, dpkg, dpkg-deb and dpkg-query are needed";
        ASSERT_EQ(system.installDependentPackages(), "");
    }

    LinuxSystemFixture system;
    testing::ScopedEnvironment language{"LC_ALL", "C"};
};

TEST_F(AptRemovalTest, PlanListsTheDependentPackagesAptWouldTakeAlong) {
    const AptSimulation simulation = simulateAptRemoval("tw-libview");
    EXPECT_THAT(simulation.removedPackages, ElementsAre("tw-viewer", "tw-libview"));
    EXPECT_THAT(simulation.protectedPackages, IsEmpty());
}

TEST_F(AptRemovalTest, PlanMarksARequiredPackageThatWouldGoAsProtected) {
    const AptSimulation simulation = simulateAptRemoval("tw-shell");
    EXPECT_THAT(simulation.removedPackages, ElementsAre("tw-login", "tw-shell"));
    EXPECT_THAT(simulation.protectedPackages, ElementsAre("tw-login"));
    EXPECT_EQ(system.packageState("tw-shell"), "ii ");
    EXPECT_EQ(system.packageState("tw-login"), "ii ");
}

TEST_F(AptRemovalTest, PlanOfALeafPackageIsThatPackageAlone) {
    EXPECT_EQ(simulateAptRemoval("tw-leaf"), (AptSimulation{{"tw-leaf"}, {}}));
}

TEST_F(AptRemovalTest, UnknownPackageFailsWithAptsMessage) {
    EXPECT_EQ(errorOf([] { simulateAptRemoval("tw-missing"); }), "Unable to locate package tw-missing");
    EXPECT_EQ(errorOf([] { removeWithApt("tw-missing"); }), "Unable to locate package tw-missing");
}

TEST_F(AptRemovalTest, HostileNamesAreRefusedBeforeAptRuns) {
    const testing::TemporaryFolder tools;
    const fs::path fakeApt = testing::makeFakeTool(tools / "apt-get", "exit 0\n");
    const testing::ScopedEnvironment path("PATH", tools.path().string());
    for (const std::string name :
         {"-o", "foo;rm", "../x", "", "Foo", "foo bar", "foo:", ":amd64", "foo*", "a\nb", "foo:amd64;x", "--purge"}) {
        const std::string refusal = "\"" + name + "\" is not a Debian package name.";
        EXPECT_EQ(errorOf([&] { simulateAptRemoval(name); }), refusal);
        EXPECT_EQ(errorOf([&] { aptRemovalCommand(name, true); }), refusal);
        EXPECT_EQ(errorOf([&] { removeWithApt(name); }), refusal);
    }
    EXPECT_EQ(testing::fakeToolCalls(fakeApt), "");
    for (const std::string name : {"tw-leaf", "libc6:amd64", "g++-12", "lib32z1", "0ad", "python3.11"})
        EXPECT_EQ(errorOf([&] { aptRemovalCommand(name, true); }), "no error") << name;
}

TEST_F(AptRemovalTest, MissingAptGetIsOneClearSentence) {
    {
        const testing::TemporaryFolder emptyFolder;
        const testing::ScopedEnvironment path("PATH", emptyFolder.path().string());
        const std::string missing = "apt-get is not installed, so Tidewell cannot remove Debian packages.";
        EXPECT_EQ(errorOf([] { simulateAptRemoval("tw-leaf"); }), missing);
        EXPECT_EQ(errorOf([] { removeWithApt("tw-leaf"); }), missing);
    }
    EXPECT_EQ(system.packageState("tw-leaf"), "ii ");
}

TEST_F(AptRemovalTest, RemovalCommandAsksForRightsUnlessRootAndNeverPurges) {
    const std::string apt = CommandRunner::programOnPath("apt-get").value();
    const std::string root = system.root().string();
    const std::vector<std::string> rootOptions{"-o", "Dir=" + root,
                                               "-o", "Dir::State::status=" + root + "/var/lib/dpkg/status",
                                               "-o", "DPkg::Options::=--root=" + root};
    std::vector<std::string> asUser{"pkexec", apt};
    asUser.insert(asUser.end(), rootOptions.begin(), rootOptions.end());
    asUser.insert(asUser.end(), {"remove", "-y", "tw-leaf"});
    EXPECT_EQ(aptRemovalCommand("tw-leaf", false), asUser);
    EXPECT_EQ(aptRemovalCommand("tw-leaf", true), std::vector<std::string>(asUser.begin() + 1, asUser.end()));

    const testing::ScopedEnvironment realSystem(platform::FolderLocations::systemRootVariable, std::nullopt);
    EXPECT_EQ(aptRemovalCommand("tw-leaf", false),
              (std::vector<std::string>{"pkexec", apt, "remove", "-y", "tw-leaf"}));
    EXPECT_EQ(aptRemovalCommand("tw-leaf", true), (std::vector<std::string>{apt, "remove", "-y", "tw-leaf"}));
}

TEST_F(AptRemovalTest, RemovalTakesThePackageAndLeavesTheOthers) {
    if (::geteuid() != 0) GTEST_SKIP() << "without root the removal asks for rights through pkexec";
    ASSERT_TRUE(fs::exists(system.system("/usr/bin/tw-leaf")));
    removeWithApt("tw-leaf");
    const std::string state = system.packageState("tw-leaf");
    EXPECT_TRUE(state == "absent" || state == "rc " || state == "un ") << state;
    EXPECT_FALSE(fs::exists(system.system("/usr/bin/tw-leaf")));
    EXPECT_FALSE(fs::exists(system.system("/usr/share/applications/tw-leaf.desktop")));
    for (const char* other : {"tw-keep", "tw-viewer", "tw-libview", "tw-shell", "tw-login"}) {
        EXPECT_EQ(system.packageState(other), "ii ") << other;
        EXPECT_TRUE(fs::exists(system.system(std::string("/usr/bin/") + other))) << other;
    }
}

TEST_F(AptRemovalTest, RemovalTakesTheDependentPackagesOfThePlan) {
    if (::geteuid() != 0) GTEST_SKIP() << "without root the removal asks for rights through pkexec";
    removeWithApt("tw-libview");
    for (const char* gone : {"tw-libview", "tw-viewer"}) EXPECT_NE(system.packageState(gone), "ii ") << gone;
    EXPECT_EQ(system.packageState("tw-keep"), "ii ");
}

}  // namespace
}  // namespace tidewell::Freedesktop
