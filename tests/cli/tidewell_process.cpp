#include "cli/tidewell_process.h"

#include <gtest/gtest.h>

#include "process/command_runner.h"

namespace tidewell::testing {

namespace fs = std::filesystem;

fs::path tidewellExecutable() {
    return fs::read_symlink("/proc/self/exe").parent_path() / "tidewell";
}

TidewellRun runTidewell(const std::vector<std::string>& arguments) {
    const CommandOutput output = CommandRunner::run(tidewellExecutable().string(), arguments);
    return {output.status, output.stdoutText, output.stderrText};
}

void expectRefusal(const std::string& command, const fs::path& output, const fs::path& source,
                   const std::string& message) {
    SCOPED_TRACE(command + " " + source.string());
    const auto run = runTidewell({command, "--output", output.string(), source.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tidewell: " + source.string() + ": " + message + "\n");
    const auto json = runTidewell({command, "--json", "--output", output.string(), source.string()});
    EXPECT_EQ(json.status, 1);
    const auto document = json.json();
    EXPECT_EQ(document["errors"], nlohmann::json::array({{{"sourceURL", source.string()}, {"message", message}}}));
    EXPECT_TRUE(document["outcomes"].empty());
}

}  // namespace tidewell::testing
