#include "process/child_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

namespace tidewell {
namespace {

using namespace std::chrono_literals;

std::shared_ptr<ChildProcess> spawnScript(const std::string& script, bool useProcessDescriptor, int output = -1) {
    ChildProcess::Launch launch;
    launch.standardOutput = output;
    launch.executable = "/bin/sh";
    launch.arguments = {"-c", script};
    launch.useProcessDescriptor = useProcessDescriptor;
    return ChildProcess::spawn(launch);
}

class ChildProcessTest : public ::testing::TestWithParam<bool> {};

TEST_P(ChildProcessTest, ExitIsNoticedAndReaped) {
    auto child = spawnScript("sleep 0.2; exit 5", GetParam());
    while (!child->waitForExit(80ms)) {
    }
    EXPECT_EQ(child->status(), 5);
    child->terminate();  // a reaped child is left alone
}

TEST_P(ChildProcessTest, AChildIgnoringTerminationIsKilledAfterTheGrace) {
    // The request must not arrive before the shell has set its trap: wait for its word.
    int ready[2];
    ASSERT_EQ(::pipe2(ready, O_CLOEXEC), 0);
    auto child = spawnScript("trap '' TERM; echo ready; while :; do sleep 0.05; done", GetParam(), ready[1]);
    ::close(ready[1]);
    char word[6];
    EXPECT_EQ(::read(ready[0], word, sizeof word), 6);
    ::close(ready[0]);
    child->terminateAndReap(200ms);
    EXPECT_EQ(child->status(), 128 + SIGKILL);
}

TEST_P(ChildProcessTest, TerminationEndsAnObedientChild) {
    auto child = spawnScript("exec sleep 30", GetParam());
    child->terminateAndReap(10s);
    EXPECT_EQ(child->status(), 128 + SIGTERM);
}

INSTANTIATE_TEST_SUITE_P(Watchers, ChildProcessTest, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "ProcessDescriptor" : "WaitpidLoop"; });

}  // namespace
}  // namespace tidewell
