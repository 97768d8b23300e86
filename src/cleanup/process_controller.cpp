#include "cleanup/process_controller.h"

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <thread>
#include <vector>

#include "cleanup/folder_listing.h"
#include "cleanup/safety_policy.h"
#include "cleanup/unknown_bundle_identifier.h"
#include "platform/app_bundle.h"
#include "process/command_runner.h"
#include "util/path_containment.h"

namespace tidewell {

namespace {

namespace fs = std::filesystem;

// The ".app" folder nearest above an executable, if any.
std::optional<fs::path> enclosingBundle(const fs::path& executable) {
    for (fs::path folder = executable.parent_path(); folder.has_relative_path(); folder = folder.parent_path()) {
        if (AppScanner::pathExtension(folder) == "app") return folder;
    }
    return std::nullopt;
}

bool hasKnownIdentifier(const AppInfo& app) {
    return !app.bundleIdentifier.empty() && app.bundleIdentifier != AppScanner::unknownBundleIdentifier;
}

std::vector<platform::RunningProcess> matchingProcesses(const ProcessController::ProcessFilter& belongs) {
    std::vector<platform::RunningProcess> matching;
    for (const platform::RunningProcess& process : platform::runningProcesses()) {
        if (process.pid != ::getpid() && belongs(process)) matching.push_back(process);
    }
    return matching;
}

void signalAll(const std::vector<platform::RunningProcess>& processes, int signalNumber) {
    for (const platform::RunningProcess& process : processes) ::kill(process.pid, signalNumber);
}

void cancellableSleep(std::chrono::milliseconds duration, const std::shared_ptr<const CancellationFlag>& cancellation) {
    constexpr std::chrono::milliseconds slice{10};
    for (auto waited = std::chrono::milliseconds{0}; waited < duration; waited += slice) {
        if (cancellation && cancellation->isCancelled()) throw CommandRunner::CancellationError();
        std::this_thread::sleep_for(slice);
    }
    if (cancellation && cancellation->isCancelled()) throw CommandRunner::CancellationError();
}

// True once no matching process runs, polling `polls` times.
bool awaitExit(const ProcessController::ProcessFilter& belongs, int polls,
               const std::shared_ptr<const CancellationFlag>& cancellation) {
    for (int poll = 0; poll < polls; ++poll) {
        cancellableSleep(ProcessController::Limits::pollInterval, cancellation);
        if (matchingProcesses(belongs).empty()) return true;
    }
    return false;
}

}  // namespace

bool ProcessController::matches(const AppInfo& app, const platform::RunningProcess& process) {
    const auto executable = SafetyPolicy::standardizedPath(process.path);
    if (!executable) return false;
    const auto bundlePath = SafetyPolicy::standardizedPath(app.path);
    // Inside the bundle, not merely sharing a text prefix with it.
    if (bundlePath && *bundlePath != "/" && isPathInside(*executable, *bundlePath)) return true;
    if (!hasKnownIdentifier(app)) return false;
    const auto bundle = enclosingBundle(*executable);
    if (!bundle) return false;
    const auto opened = platform::openAppBundle(*bundle);
    return opened && opened->identifier() == app.bundleIdentifier;
}

void ProcessController::quitProcesses(const ProcessFilter& belongs, bool allowForceQuit,
                                      const std::shared_ptr<const CancellationFlag>& cancellation) {
    const auto running = matchingProcesses(belongs);
    if (running.empty()) return;
    signalAll(running, SIGTERM);
    if (awaitExit(belongs, Limits::pollsAfterQuit, cancellation)) return;
    if (!allowForceQuit) throw ProcessError();
    signalAll(matchingProcesses(belongs), SIGKILL);
    if (awaitExit(belongs, Limits::pollsAfterForceQuit, cancellation)) return;
    throw ProcessError();
}

void ProcessController::quitApp(const AppInfo& app, bool allowForceQuit,
                                const std::shared_ptr<const CancellationFlag>& cancellation) {
    quitProcesses([&app](const platform::RunningProcess& process) { return matches(app, process); }, allowForceQuit,
                  cancellation);
}

}  // namespace tidewell
