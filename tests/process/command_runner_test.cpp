#include "process/command_runner.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <thread>

#include "support/temporary_folder.h"

namespace tidewell {
namespace {

using namespace std::chrono_literals;
using testing::ScopedEnvironment;
using testing::TemporaryFolder;

// Every run gets its own temporary folder, which must hold no capture file afterwards.
class CommandRunnerTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(leftOverLogs(), std::vector<std::string>{}); }

    std::vector<std::string> leftOverLogs() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(temporary_.path())) {
            auto name = entry.path().filename().string();
            if (name.starts_with("TidewellCommand-")) names.push_back(name);
        }
        return names;
    }

    // A shell script whose first action is to write its pid to a file, so the test can
    // check afterwards that the process is gone (and reaped: a zombie still answers kill 0).
    std::vector<std::string> scriptRecordingPid(const std::string& body) const {
        return {"-c", "echo $$ > \"$0\"; " + body, pidFile().string()};
    }
    std::filesystem::path pidFile() const { return work_ / "child.pid"; }
    pid_t recordedPid() const { return std::stoi(testing::readFile(pidFile())); }
    static bool processExists(pid_t pid) { return ::kill(pid, 0) == 0 || errno != ESRCH; }

    TemporaryFolder temporary_;
    TemporaryFolder work_;
    ScopedEnvironment tmpdir_{"TMPDIR", temporary_.path().string()};
};

TEST_F(CommandRunnerTest, ArgumentsReachTheChildVerbatim) {
    const std::string tricky = "two  spaces \"double\" 'single' ; echo injected $HOME `id` *";
    auto output = CommandRunner::run("/usr/bin/printf", {"[%s]\n", tricky, ""});
    EXPECT_EQ(output.status, 0);
    EXPECT_EQ(output.stdoutText, "[" + tricky + "]\n[]\n");
    EXPECT_EQ(output.stderrText, "");
}

TEST_F(CommandRunnerTest, StatusAndBothStreamsComeBack) {
    auto output = CommandRunner::run("/bin/sh", {"-c", "echo out; echo err >&2; exit 3"});
    EXPECT_EQ(output, (CommandOutput{3, "out\n", "err\n"}));
}

TEST_F(CommandRunnerTest, OutputThatIsNotUTF8ReadsAsEmpty) {
    auto printed = [](const std::string& format) { return CommandRunner::run("/usr/bin/printf", {format}); };
    EXPECT_EQ(printed("caf\\303\\251 \\342\\202\\254 \\360\\237\\230\\200").stdoutText,
              "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80");
    EXPECT_EQ(printed("\\377\\376"), (CommandOutput{0, "", ""}));
    EXPECT_EQ(printed("overlong \\300\\257").stdoutText, "");
    EXPECT_EQ(printed("surrogate \\355\\240\\200").stdoutText, "");
    EXPECT_EQ(printed("cut \\342\\202").stdoutText, "");
}

TEST_F(CommandRunnerTest, SeveralMegabytesOnStandardErrorComeBackWhole) {
    auto output = CommandRunner::run("/bin/sh", {"-c", "head -c 6000000 /dev/zero | tr '\\0' x >&2; echo done"});
    EXPECT_EQ(output.status, 0);
    EXPECT_EQ(output.stdoutText, "done\n");
    ASSERT_EQ(output.stderrText.size(), 6'000'000u);
    EXPECT_EQ(output.stderrText.find_first_not_of('x'), std::string::npos);
}

TEST_F(CommandRunnerTest, StandardInputReachesTheChildAndIsClosed) {
    EXPECT_EQ(CommandRunner::run("/bin/cat", {}, std::nullopt, std::string("y\n")).stdoutText, "y\n");
    EXPECT_EQ(CommandRunner::run("/bin/cat", {}, std::nullopt, std::string()).stdoutText, "");
    // Without input the child reads an empty stream instead of waiting on ours.
    EXPECT_EQ(CommandRunner::run("/bin/cat", {}).stdoutText, "");

    // More than a pipe holds at once.
    std::string large(3'000'000, 'a');
    EXPECT_EQ(CommandRunner::run("/bin/cat", {}, std::nullopt, large).stdoutText, large);
}

TEST_F(CommandRunnerTest, AChildThatIgnoresItsInputDoesNotBreakTheRun) {
    auto output = CommandRunner::run("/bin/sh", {"-c", "exit 7"}, std::nullopt, std::string(3'000'000, 'a'));
    EXPECT_EQ(output.status, 7);
}

bool isCanonicalUUID(const std::string& text) {
    if (text.size() != 36) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i])) || std::islower(text[i]))
            return false;
    }
    return true;
}

TEST_F(CommandRunnerTest, CaptureFilesAreNamedAfterTheRunInTheTemporaryFolder) {
    auto listing = CommandRunner::run("/bin/ls", {temporary_.path().string()}).stdoutText;
    const std::string prefix = "TidewellCommand-";
    ASSERT_TRUE(listing.starts_with(prefix)) << listing;
    const std::string uuid = listing.substr(prefix.size(), 36);
    EXPECT_TRUE(isCanonicalUUID(uuid)) << listing;
    EXPECT_EQ(listing, prefix + uuid + "-stderr.log\n" + prefix + uuid + "-stdout.log\n");
}

TEST_F(CommandRunnerTest, RunsInTheGivenDirectory) {
    auto output = CommandRunner::run("/bin/pwd", {}, work_.path());
    EXPECT_EQ(output.stdoutText, std::filesystem::canonical(work_.path()).string() + "\n");
}

TEST_F(CommandRunnerTest, LaunchFailuresAreThrownAfterCleanUp) {
    try {
        CommandRunner::run((work_ / "missing-tool").string(), {});
        FAIL() << "no error";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
    }
    EXPECT_THROW(CommandRunner::run("/bin/true", {}, work_ / "missing-folder"), std::system_error);
}

TEST_F(CommandRunnerTest, TimeOutEndsTheChildAndReportsWholeMinutes) {
    try {
        CommandRunner::run("/bin/sh", scriptRecordingPid("exec sleep 30"), std::nullopt, std::nullopt, nullptr, 0.3);
        FAIL() << "no time-out";
    } catch (const CommandRunner::CommandError& error) {
        EXPECT_STREQ(error.what(), "The repair tool timed out after 0 minutes. No original file was changed.");
    }
    EXPECT_FALSE(processExists(recordedPid()));

    EXPECT_EQ(CommandRunner::timedOutMessage(179),
              "The repair tool timed out after 2 minutes. No original file was changed.");
    EXPECT_EQ(CommandRunner::timedOutMessage(900),
              "The repair tool timed out after 15 minutes. No original file was changed.");
}

TEST_F(CommandRunnerTest, CancellationEndsTheChild) {
    auto token = std::make_shared<CancellationFlag>();
    std::thread canceller([&] {
        // The shell creates the file before it writes its pid: wait for the whole line.
        while (testing::readFile(pidFile()).find('\n') == std::string::npos) std::this_thread::sleep_for(5ms);
        token->cancel();
    });
    EXPECT_THROW(CommandRunner::run("/bin/sh", scriptRecordingPid("exec sleep 30"), std::nullopt, std::nullopt, token),
                 CommandRunner::CancellationError);
    canceller.join();
    EXPECT_FALSE(processExists(recordedPid()));
}

TEST_F(CommandRunnerTest, AnAlreadyCancelledTokenStartsNothing) {
    auto token = std::make_shared<CancellationFlag>();
    token->cancel();
    EXPECT_THROW(CommandRunner::run("/bin/sh", scriptRecordingPid("true"), std::nullopt, std::nullopt, token),
                 CommandRunner::CancellationError);
    EXPECT_FALSE(std::filesystem::exists(pidFile()));
}

TEST_F(CommandRunnerTest, TerminateAllEndsRunningChildren) {
    std::atomic<int> finished = 0;
    std::vector<int> statuses(2, -1);
    std::vector<std::thread> runs;
    for (int i = 0; i < 2; ++i) {
        runs.emplace_back([&, i] {
            statuses[i] = CommandRunner::run("/bin/sleep", {"30"}).status;
            ++finished;
        });
    }
    // Repeated, because a run may not be registered yet when the first request goes out.
    while (finished < 2) {
        CommandRunner::terminateAll();
        std::this_thread::sleep_for(20ms);
    }
    for (auto& run : runs) run.join();
    EXPECT_EQ(statuses, (std::vector<int>{128 + SIGTERM, 128 + SIGTERM}));
}

TEST(CommandOutputTest, CombinedJoinsTheTrimmedNonEmptyStreams) {
    EXPECT_EQ((CommandOutput{0, "  ok \n", ""}).combined(), "ok");
    EXPECT_EQ((CommandOutput{0, "\n", "\t err \r\n"}).combined(), "err");
    EXPECT_EQ((CommandOutput{1, " out\n", "\nerr\n"}).combined(), "out\nerr");
    EXPECT_EQ((CommandOutput{1, " ", ""}).combined(), "");
}

}  // namespace
}  // namespace tidewell
