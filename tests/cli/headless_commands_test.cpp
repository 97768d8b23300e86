#include "cli/headless_commands.h"

#include <gtest/gtest.h>

#include "cli/tidewell_process.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

using testing::runTidewell;

TEST(HeadlessCommands, HelpListsEveryCommand) {
    const auto run = runTidewell({"--help"});
    ASSERT_EQ(run.status, 0);
    for (const char* name : {"diagnose", "extract", "apps", "leftovers", "safe-cleanup", "volumes"}) {
        EXPECT_NE(run.out.find("\n  " + std::string(name) + " "), std::string::npos) << name;
    }
    EXPECT_NE(run.out.find("--recovery-qa"), std::string::npos);

    for (const cli::Command* command : cli::commands()) {
        const auto help = runTidewell({command->name, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_TRUE(help.out.starts_with(command->usageLine + "\n" + command->summary + "\n")) << help.out;
        EXPECT_NE(help.out.find("  --json "), std::string::npos);
    }
}

TEST(HeadlessCommands, UsageErrorsExit64WithTheUsageLine) {
    auto run = runTidewell({"defragment"});
    EXPECT_EQ(run.status, 64);
    EXPECT_EQ(run.err,
              "tidewell: 'defragment' is not a tidewell command\n"
              "Usage: tidewell <command> [options] (tidewell --help lists the commands)\n");
    EXPECT_EQ(run.out, "");

    run = runTidewell({"safe-cleanup", "--force"});
    EXPECT_EQ(run.status, 64);
    EXPECT_EQ(run.err, "tidewell: unknown option --force\nUsage: tidewell safe-cleanup [--yes] [--json]\n");

    run = runTidewell({"volumes", "--path"});
    EXPECT_EQ(run.status, 64);
    EXPECT_EQ(run.err, "tidewell: --path needs a value\nUsage: tidewell volumes [--path FOLDER] [--json]\n");
}

TEST(HeadlessCommands, AnUnknownLayoutIsOneLineAndStatus64ForTheListingsAndTheWindow) {
    testing::ScopedEnvironment layout{"TIDEWELL_LAYOUT", "windows"};
    const std::string message = "tidewell: TIDEWELL_LAYOUT is \"windows\"; it must be \"macos\" or \"freedesktop\".\n";
    for (const char* command : {"apps", "leftovers", "safe-cleanup"}) {
        const auto run = runTidewell({command, "--json"});
        EXPECT_EQ(run.status, 64) << command;
        EXPECT_EQ(run.err, message) << command;
        EXPECT_EQ(run.out, "") << command;
    }
    const auto window = runTidewell({});
    EXPECT_EQ(window.status, 64);
    EXPECT_EQ(window.err, message);
}

TEST(HeadlessCommands, AcceptanceOptionsKeepTheirDispatch) {
    // The acceptance run answers its own usage error, not the command's.
    const auto run = runTidewell({"diagnose", "--recovery-qa"});
    EXPECT_EQ(run.status, 64);
    EXPECT_TRUE(run.err.starts_with("Usage: Tidewell --recovery-qa")) << run.err;
    EXPECT_EQ(cli::runCommandIfRequested({"tidewell"}), std::nullopt);
    EXPECT_EQ(cli::runCommandIfRequested({"tidewell", "--unknown-option"}), std::nullopt);
}

}  // namespace
}  // namespace tidewell
