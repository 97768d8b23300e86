#include "main/tidewell_app.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "acceptance/acceptance_runs.h"
#include "support/temporary_folder.h"

namespace tidewell::TidewellApp {
namespace {

using Arguments = std::vector<std::string>;
using testing::runTool;
using testing::ScopedEnvironment;

std::vector<std::string> calls;

std::optional<std::int32_t> fakeRun(const char* option, const Arguments& arguments, std::int32_t status) {
    calls.emplace_back(option);
    for (const auto& argument : arguments)
        if (argument == option) return status;
    return std::nullopt;
}

std::optional<std::int32_t> fakeFirst(const Arguments& arguments) {
    return fakeRun("--first", arguments, 11);
}
std::optional<std::int32_t> fakeSecond(const Arguments& arguments) {
    return fakeRun("--second", arguments, 22);
}

TEST(ProcessEntry, FirstRequestedRunIsTheOnlyOnePerformed) {
    calls.clear();
    EXPECT_EQ(runFirstRequested({"tidewell", "--second", "--first"}, {fakeFirst, fakeSecond}), 11);
    EXPECT_EQ(calls, (std::vector<std::string>{"--first"}));

    calls.clear();
    EXPECT_EQ(runFirstRequested({"tidewell", "--second"}, {fakeFirst, fakeSecond}), 22);
    EXPECT_EQ(runFirstRequested({"tidewell", "--unknown"}, {fakeFirst, fakeSecond}), std::nullopt);
}

TEST(ProcessEntry, AcceptanceRunsAreOfferedExFATLiveFAT32ThenFolder) {
    const std::vector<AcceptanceRun> expected{
        ExFATDeletedRecoveryQAAcceptance::runIfRequested, LiveDeletedRecoveryQAAcceptance::runIfRequested,
        DeletedRecoveryQAAcceptance::runIfRequested, RecoveryQAAcceptance::runIfRequested};
    EXPECT_EQ(acceptanceRuns(), expected);
}

TEST(ProcessEntry, NoAcceptanceOptionMeansNoRun) {
    EXPECT_EQ(runAcceptanceIfRequested({"tidewell"}), std::nullopt);
    EXPECT_EQ(runAcceptanceIfRequested({"tidewell", "--verbose", "--image", "x"}), std::nullopt);
}

TEST(ProcessEntry, InformationOptionsAnswerOnlyWhenAsked) {
    EXPECT_EQ(runInformationIfRequested({"tidewell"}), std::nullopt);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(runInformationIfRequested({"tidewell", "--help"}), 0);
    std::string help = ::testing::internal::GetCapturedStdout();
    for (const char* option :
         {"--recovery-qa", "--deleted-recovery-qa", "--exfat-deleted-recovery-qa", "--live-deleted-recovery-qa"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
}

// The real executable, beside this test binary.
std::string tidewellExecutable() {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tidewell").string();
}

TEST(ProcessEntry, WithoutADisplayTheApplicationPathExplainsAndFails) {
    ScopedEnvironment display("DISPLAY", std::nullopt);
    ScopedEnvironment wayland("WAYLAND_DISPLAY", std::nullopt);
    ScopedEnvironment platform("QT_QPA_PLATFORM", std::nullopt);
    std::string output;
    EXPECT_EQ(runTool(tidewellExecutable(), {"--not-an-option"}, &output), 1);
    EXPECT_NE(output.find("tidewell --help"), std::string::npos) << output;
}

TEST(ProcessEntry, AnAcceptanceOptionNeverStartsTheApplication) {
    ScopedEnvironment display("DISPLAY", std::nullopt);
    ScopedEnvironment wayland("WAYLAND_DISPLAY", std::nullopt);
    ScopedEnvironment platform("QT_QPA_PLATFORM", std::nullopt);
    std::string output;
    int status = runTool(tidewellExecutable(), {"--deleted-recovery-qa", "--help"}, &output);
    EXPECT_NE(status, 0);
    EXPECT_EQ(output.find("graphical session"), std::string::npos) << output;
    EXPECT_EQ(output.find("Usage: tidewell [OPTION]"), std::string::npos) << output;
}

TEST(ProcessEntry, HelpAndVersionPrintAndSucceed) {
    std::string output;
    EXPECT_EQ(runTool(tidewellExecutable(), {"--version"}, &output), 0);
    EXPECT_EQ(output.rfind("Tidewell ", 0), 0u) << output;
}

}  // namespace
}  // namespace tidewell::TidewellApp
