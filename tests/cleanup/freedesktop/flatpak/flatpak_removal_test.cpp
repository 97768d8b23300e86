#include "cleanup/freedesktop/flatpak/flatpak_removal.h"

#include <gtest/gtest.h>

#include "cleanup/fake_tool.h"
#include "cleanup/freedesktop/flatpak/flatpak_installations.h"
#include "cleanup/linux_system_fixture.h"
#include "support/temporary_folder.h"
#include "support/thrown_message.h"

namespace tidewell::Freedesktop {
namespace {

namespace fs = std::filesystem;

// The ids `flatpak list` shows for one installation ("--user" or "--system") and kind.
std::string listed(const std::string& installation, const std::string& kind) {
    std::string output;
    if (testing::runTool("flatpak", {"list", installation, kind, "--columns=application"}, &output) != 0)
        return "flatpak list failed: " + output;
    return output;
}

fs::path deployFolder(const std::string& id, const std::string& installation) {
    for (const InstalledFlatpak& app : installedFlatpaks())
        if (app.id == id && app.installation == installation) return app.deployFolder;
    return {};
}

std::string uninstallError(const std::string& id, const fs::path& folder) {
    return testing::thrownMessage([&] { uninstallFlatpak(id, folder); });
}

class FlatpakRemovalTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::haveTool("flatpak")) GTEST_SKIP() << "flatpak is needed";
    }
    testing::LinuxSystemFixture system;
};

TEST_F(FlatpakRemovalTest, UninstallsAUserAppAndLeavesItsRuntimeAndData) {
    ASSERT_EQ(system.installFlatpak("org.tidewell.Gone", "Gone", "1.0"), "");
    const fs::path data = system.home() / ".var/app/org.tidewell.Gone/config/settings.ini";
    testing::writeFile(data, "[window]\nwidth=640\n");
    const fs::path deployed = deployFolder("org.tidewell.Gone", "user");
    ASSERT_FALSE(deployed.empty());
    ASSERT_NE(listed("--user", "--app").find("org.tidewell.Gone"), std::string::npos);

    uninstallFlatpak("org.tidewell.Gone", deployed);

    EXPECT_EQ(listed("--user", "--app"), "");
    EXPECT_NE(listed("--user", "--runtime").find("org.tidewell.TestPlatform"), std::string::npos);
    EXPECT_FALSE(fs::exists(deployed));
    EXPECT_EQ(testing::readFile(data), "[window]\nwidth=640\n");
}

TEST_F(FlatpakRemovalTest, RefusesAnotherDeployFolderOrAnUnknownAppAndChangesNothing) {
    ASSERT_EQ(system.installFlatpak("org.tidewell.Kept", "Kept", "1.0"), "");
    const fs::path deployed = deployFolder("org.tidewell.Kept", "user");
    ASSERT_FALSE(deployed.empty());
    const fs::path elsewhere = deployed.parent_path() / "0000";

    EXPECT_EQ(uninstallError("org.tidewell.Kept", elsewhere),
              "No Flatpak installation holds org.tidewell.Kept at " + elsewhere.string() + ".");
    EXPECT_EQ(uninstallError("org.tidewell.Other", deployed),
              "No Flatpak installation holds org.tidewell.Other at " + deployed.string() + ".");
    EXPECT_EQ(listed("--user", "--app"), "org.tidewell.Kept\n");
    EXPECT_TRUE(fs::is_directory(deployed / "files"));
}

TEST_F(FlatpakRemovalTest, UninstallsFromTheInstallationWhoseDeployFolderIsNamed) {
    ASSERT_EQ(system.installFlatpak("org.tidewell.Twice", "Twice", "1.0", true), "");
    ASSERT_EQ(system.installFlatpak("org.tidewell.Twice", "Twice", "1.0"), "");
    const fs::path systemDeploy = deployFolder("org.tidewell.Twice", "system");
    const fs::path userDeploy = deployFolder("org.tidewell.Twice", "user");
    ASSERT_FALSE(systemDeploy.empty());
    ASSERT_FALSE(userDeploy.empty());

    uninstallFlatpak("org.tidewell.Twice", systemDeploy);

    EXPECT_EQ(listed("--system", "--app"), "");
    EXPECT_NE(listed("--system", "--runtime").find("org.tidewell.TestPlatform"), std::string::npos);
    EXPECT_EQ(listed("--user", "--app"), "org.tidewell.Twice\n");

    uninstallFlatpak("org.tidewell.Twice", userDeploy);
    EXPECT_EQ(listed("--user", "--app"), "");
}

TEST(FlatpakKillTest, RefusesWhatIsNotAFlatpakID) {
    for (const std::string id : {"", "-h", "--all", "org.x;reboot", "org x", ".hidden"}) {
        EXPECT_EQ(testing::thrownMessage([&id] { killFlatpakInstances(id); }),
                  "\"" + id + "\" is not a Flatpak app id.");
    }
}

TEST(FlatpakKillTest, AsksFlatpakToKillTheAppAndIgnoresAnAppThatDoesNotRun) {
    testing::TemporaryFolder tools;
    const fs::path flatpak =
        testing::makeFakeTool(tools / "flatpak", "echo 'error: org.tidewell.Idle is not running' >&2; exit 1");
    testing::ScopedEnvironment path("PATH", tools.path().string());
    EXPECT_NO_THROW(killFlatpakInstances("org.tidewell.Idle"));
    EXPECT_EQ(testing::fakeToolCalls(flatpak), "kill org.tidewell.Idle\n");
}

TEST(FlatpakKillTest, AMissingFlatpakIsNoError) {
    testing::TemporaryFolder empty;
    testing::ScopedEnvironment path("PATH", empty.path().string());
    EXPECT_NO_THROW(killFlatpakInstances("org.tidewell.Idle"));
}

}  // namespace
}  // namespace tidewell::Freedesktop
