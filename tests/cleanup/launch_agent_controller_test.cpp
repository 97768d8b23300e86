#include "cleanup/launch_agent_controller.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "cleanup/fake_tool.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

using testing::fakeToolCalls;
using testing::makeFakeTool;

CleanupCandidate agent(CleanupCandidateKind kind) {
    CleanupCandidate candidate;
    candidate.kind = kind;
    candidate.id = candidate.path = "/home/u/Library/LaunchAgents/com.example.tool.plist";
    return candidate;
}

TEST(LaunchAgentController, BootsOutUserStartupItemsOnly) {
    testing::TemporaryFolder folder;
    const auto tool = makeFakeTool(folder / "launchctl", "exit 0");
    LaunchAgentController::bootout(agent(CleanupCandidateKind::launchAgent), tool.native());
    LaunchAgentController::bootout(agent(CleanupCandidateKind::preferences), tool.native());
    EXPECT_EQ(fakeToolCalls(tool),
              "bootout gui/" + std::to_string(::getuid()) + " /home/u/Library/LaunchAgents/com.example.tool.plist\n");
}

TEST(LaunchAgentController, FailuresAndMissingToolsAreIgnored) {
    testing::TemporaryFolder folder;
    const auto failing = makeFakeTool(folder / "launchctl", "echo 'Boot-out failed: 3: No such process' >&2; exit 3");
    EXPECT_NO_THROW(LaunchAgentController::bootout(agent(CleanupCandidateKind::launchAgent), failing.native()));
    EXPECT_NO_THROW(
        LaunchAgentController::bootout(agent(CleanupCandidateKind::launchAgent), (folder / "missing").native()));
    EXPECT_NO_THROW(LaunchAgentController::bootout(agent(CleanupCandidateKind::launchAgent), std::nullopt));
    EXPECT_EQ(LaunchAgentController::launchctl(), std::nullopt);  // not part of this system
}

}  // namespace
}  // namespace tidewell
