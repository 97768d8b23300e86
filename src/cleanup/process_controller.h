#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>

#include "cleanup/app_info.h"
#include "platform/running_processes.h"
#include "util/cancellation_flag.h"

namespace tidewell {

// Stops the running processes of one app before its bundle is moved.
struct ProcessController {
    class ProcessError : public std::runtime_error {
    public:
        enum class Case { stillRunning };

        ProcessError() : std::runtime_error("The app is still running after a normal quit request.") {}
        Case kind() const { return Case::stillRunning; }
    };

    struct Limits {
        static constexpr std::chrono::milliseconds pollInterval{100};
        static constexpr int pollsAfterQuit = 30;
        static constexpr int pollsAfterForceQuit = 20;
    };

    // Decides whether a running process belongs to what is being stopped.
    using ProcessFilter = std::function<bool(const platform::RunningProcess&)>;

    // Sends SIGTERM to every running process `belongs` accepts (never this process
    // itself) and waits up to 3 seconds; then, when allowed, SIGKILL and up to 2
    // more seconds. Returns once none runs; throws ProcessError otherwise, or
    // CommandRunner::CancellationError when the token fires during a wait.
    static void quitProcesses(const ProcessFilter& belongs, bool allowForceQuit,
                              const std::shared_ptr<const CancellationFlag>& cancellation = nullptr);

    // quitProcesses over the processes that match the app.
    static void quitApp(const AppInfo& app, bool allowForceQuit,
                        const std::shared_ptr<const CancellationFlag>& cancellation = nullptr);

    // A process belongs to the app when its executable lies inside the bundle,
    // or the bundle that holds its executable has the app's identifier.
    static bool matches(const AppInfo& app, const platform::RunningProcess& process);
};

}  // namespace tidewell
