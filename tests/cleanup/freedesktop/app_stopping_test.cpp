#include "cleanup/freedesktop/app_stopping.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "cleanup/app_scope.h"
#include "cleanup/freedesktop/flatpak/flatpak_installations.h"
#include "cleanup/linux_system_fixture.h"
#include "cleanup/process_controller.h"
#include "cleanup/sleeping_child.h"
#include "support/temporary_folder.h"

namespace tidewell::Freedesktop {
namespace {

namespace fs = std::filesystem;

// sleep(1) in a child process.
class Sleeper : public testing::SleepingChild {
public:
    explicit Sleeper(bool ignoreTerminate) : SleepingChild(fs::canonical("/bin/sleep"), ignoreTerminate) {}
};

std::string scopeNumber() {
    return std::to_string(::getpid());
}

class FlatpakStoppingTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::haveTool("flatpak")) GTEST_SKIP() << "flatpak is needed";
        ASSERT_EQ(system.installFlatpak(appID, "Running", "1.0"), "");
        const auto installed = installedFlatpaks();
        ASSERT_EQ(installed.size(), 1u);
        app.origin = "Flatpak";
        app.bundleIdentifier = appID;
        app.id = app.path = installed.front().deployFolder.string();
        if (!scope.made()) GTEST_SKIP() << "this process may not create a control group to run the app in";
    }

    // An id of this test process's own: the suite's other processes run in scopes of their own
    // at the same time, and one must never stop another's.
    const std::string appID = "org.tidewell.Running.p" + scopeNumber();
    testing::LinuxSystemFixture system;
    testing::AppScope scope{"app-flatpak-" + appID + "-" + scopeNumber() + ".scope"};
    AppInfo app;
};

TEST_F(FlatpakStoppingTest, EndsTheProcessesInTheAppsScopeAndNoOther) {
    Sleeper sandboxed(false);
    Sleeper bystander(false);
    if (!scope.add(sandboxed.pid())) GTEST_SKIP() << "the control group does not accept processes";

    quitLinuxApp(app, false);

    EXPECT_EQ(sandboxed.endingSignal(), SIGTERM);
    EXPECT_TRUE(bystander.isAlive());
    EXPECT_TRUE(scope.remove());
}

TEST_F(FlatpakStoppingTest, KillsAProcessThatIgnoresTheQuitRequestOnlyWhenAllowed) {
    Sleeper stubborn(true);
    if (!scope.add(stubborn.pid())) GTEST_SKIP() << "the control group does not accept processes";

    EXPECT_THROW(quitLinuxApp(app, false), ProcessController::ProcessError);
    EXPECT_TRUE(stubborn.isAlive());

    quitLinuxApp(app, true);

    EXPECT_EQ(stubborn.endingSignal(), SIGKILL);
    EXPECT_TRUE(scope.remove());
}

TEST(SnapStoppingTest, EndsTheProcessesInTheSnapsScope) {
    testing::AppScope scope("snap.tidewell-tiny.tiny-" + scopeNumber() + ".scope");
    if (!scope.made()) GTEST_SKIP() << "this process may not create a control group to run the app in";
    Sleeper confined(false);
    if (!scope.add(confined.pid())) GTEST_SKIP() << "the control group does not accept processes";
    AppInfo app;
    app.origin = "Snap";
    app.bundleIdentifier = "tidewell-tiny";
    app.id = app.path = "/snap/tidewell-tiny/current";

    quitLinuxApp(app, false);

    EXPECT_EQ(confined.endingSignal(), SIGTERM);
    EXPECT_TRUE(scope.remove());
}

}  // namespace
}  // namespace tidewell::Freedesktop
