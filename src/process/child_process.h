#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tidewell {

// One spawned program (no shell), always reaped: a child still running when the
// object goes away is killed and waited for, so no zombie is ever left behind.
// terminate() may be called from any thread; everything else belongs to the owner.
class ChildProcess {
public:
    struct Launch {
        std::string executable;
        std::vector<std::string> arguments;  // without argv[0]
        std::optional<std::filesystem::path> currentDirectory;
        int standardInput = -1;  // -1: /dev/null
        int standardOutput = -1;
        int standardError = -1;
        bool useProcessDescriptor = true;  // false: watch with a waitpid loop (as on old kernels)
    };

    // Throws std::system_error when the program cannot be started.
    static std::shared_ptr<ChildProcess> spawn(const Launch& launch);

    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits at most `limit` for the child to exit and reaps it. Returns early (false)
    // when `writableFd` (if not -1) becomes writable. True once the child is reaped.
    bool waitForExit(std::chrono::microseconds limit, int writableFd = -1);

    // Asks a child that has not been reaped yet to terminate (SIGTERM); does not wait.
    void terminate();

    // terminate(), then up to `grace` for the child to go; after that it is killed.
    // Returns with the child reaped.
    void terminateAndReap(std::chrono::microseconds grace);

    // Exit status, or 128 + signal number; valid once reaped.
    int status() const { return status_; }

private:
    ChildProcess(pid_t pid, int pidfd) : pid_(pid), pidfd_(pidfd) {}
    bool tryReap(bool block);
    std::chrono::microseconds nextPollStep(std::chrono::microseconds limit);

    // Guards pid_ against reuse: a signal is only sent while the child is unreaped.
    mutable std::mutex mutex_;
    pid_t pid_;
    int pidfd_;  // -1 when the kernel offers no process descriptors
    bool reaped_ = false;
    int status_ = -1;
    std::chrono::microseconds fallbackStep_{100};
};

}  // namespace tidewell
