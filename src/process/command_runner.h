#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "util/cancellation_flag.h"

namespace tidewell {

struct CommandOutput {
    int status = 0;  // exit status, or 128 + signal number when the child was killed
    std::string stdoutText;
    std::string stderrText;

    // stdout and stderr, each trimmed, empty ones dropped, joined with "\n".
    std::string combined() const;
    bool operator==(const CommandOutput&) const = default;
};

// Runs external programs to completion without a shell and finds the tools.
namespace CommandRunner {

// The one error the runner itself raises; what() is the user-facing text.
class CommandError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Thrown when the cancellation token fired while the child ran.
class CancellationError : public std::runtime_error {
public:
    CancellationError() : std::runtime_error("The operation was cancelled.") {}
};

// "The repair tool timed out after {M} minutes. No original file was changed.",
// M being the time-out in whole minutes (truncated).
std::string timedOutMessage(double timeoutSeconds);

// Thrown (as std::system_error) when the program cannot be started.

// Resource folder "Tools/"+name, "Tools/"+name+"-macos", then extraCandidates,
// then /usr/bin and /bin for "zip" and "unzip" only. No PATH search.
std::optional<std::string> firstExecutable(const std::string& name,
                                           const std::vector<std::string>& extraCandidates = {});

// The system program `name` as PATH finds it (the usual folders when PATH is unset);
// never below a re-rooted system, since it runs on this machine.
std::optional<std::string> programOnPath(const std::string& name);

// Runs the system program `name` (found with programOnPath) for a step whose failure the
// caller passes over: a missing program, a failed start, a time-out and any exit status
// are all ignored.
void runPassingOverFailure(const std::string& name, const std::vector<std::string>& arguments, double timeout);

// Blocks until the child exits, the token fires or the timeout (seconds) passes.
// Standard output and error are captured through "TidewellCommand-{UUID}-stdout.log" and
// "-stderr.log" in the temporary folder, deleted on every path. Without standardInput the
// child reads /dev/null. Throws std::system_error when it cannot start, CommandError on
// time-out, CancellationError on cancellation; the child is ended and reaped before either.
CommandOutput run(const std::string& executable, const std::vector<std::string>& arguments,
                  const std::optional<std::filesystem::path>& currentDirectory = std::nullopt,
                  const std::optional<std::string>& standardInput = std::nullopt,
                  const std::shared_ptr<CancellationFlag>& cancellationToken = nullptr, double timeout = 900);

// Asks every child still running under the runner to terminate; does not wait.
void terminateAll();

}  // namespace CommandRunner

}  // namespace tidewell
