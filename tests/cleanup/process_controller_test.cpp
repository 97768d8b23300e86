#include "cleanup/process_controller.h"

#include <gtest/gtest.h>
#include <signal.h>

#include "cleanup/app_layout_fixture.h"
#include "cleanup/sleeping_child.h"
#include "process/command_runner.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::AppLayoutFixture;
using testing::SleepingChild;

class ProcessControllerTest : public ::testing::Test {
protected:
    AppLayoutFixture layout;
    fs::path bundle = layout.makeBundle(layout.home() / "Applications", "Sleeper", {});
    fs::path executable = bundle / "Contents/MacOS/sleeper";
    AppInfo app;

    void SetUp() override {
        fs::create_directories(executable.parent_path());
        fs::copy_file("/bin/sleep", executable);
        fs::permissions(executable, fs::perms::owner_all);
        app.id = app.path = bundle.native();
        app.bundleIdentifier = "com.example.sleeper";
    }
};

TEST_F(ProcessControllerTest, AnAppThatQuitsIsNeverKilled) {
    SleepingChild child(executable, false);
    ASSERT_TRUE(child.runs(executable));
    ProcessController::quitApp(app, true);
    EXPECT_EQ(child.endingSignal(), SIGTERM);
}

TEST_F(ProcessControllerTest, AnAppIgnoringQuitIsKilledOnlyWhenAllowed) {
    SleepingChild stubborn(executable, true);
    ASSERT_TRUE(stubborn.runs(executable));
    try {
        ProcessController::quitApp(app, false);
        ADD_FAILURE() << "no error";
    } catch (const ProcessController::ProcessError& error) {
        EXPECT_EQ(std::string(error.what()), "The app is still running after a normal quit request.");
    }
    EXPECT_TRUE(stubborn.isAlive());
    ProcessController::quitApp(app, true);
    EXPECT_EQ(stubborn.endingSignal(), SIGKILL);
}

TEST_F(ProcessControllerTest, WaitsEndOnCancellation) {
    SleepingChild stubborn(executable, true);
    ASSERT_TRUE(stubborn.runs(executable));
    auto cancellation = std::make_shared<CancellationFlag>();
    cancellation->cancel();
    EXPECT_THROW(ProcessController::quitApp(app, true, cancellation), CommandRunner::CancellationError);
    EXPECT_TRUE(stubborn.isAlive());
}

TEST_F(ProcessControllerTest, MatchingRules) {
    const platform::RunningProcess inside{1, executable.native(), 0};
    const platform::RunningProcess prefixOnly{2, bundle.native() + "2/Contents/MacOS/other", 0};
    EXPECT_TRUE(ProcessController::matches(app, inside));
    EXPECT_FALSE(ProcessController::matches(app, prefixOnly));
    // Another copy of the bundle with the same identifier belongs to the app too.
    const fs::path copy =
        layout.makeBundle(layout.home() / "Elsewhere", "Copy", {{"CFBundleIdentifier", "com.example.sleeper"}});
    const platform::RunningProcess fromCopy{3, (copy / "Contents/MacOS/copy").native(), 0};
    EXPECT_TRUE(ProcessController::matches(app, fromCopy));
    app.bundleIdentifier = "Unknown Bundle ID";
    EXPECT_FALSE(ProcessController::matches(app, fromCopy));
    EXPECT_FALSE(ProcessController::matches(app, {4, "/usr/bin/sleep", 0}));
}

TEST_F(ProcessControllerTest, NothingRunningReturnsAtOnce) {
    EXPECT_NO_THROW(ProcessController::quitApp(app, false));
}

}  // namespace
}  // namespace tidewell
