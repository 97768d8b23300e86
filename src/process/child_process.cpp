#include "process/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

extern char** environ;

namespace tidewell {

namespace {

using namespace std::chrono_literals;

constexpr std::chrono::microseconds kLongestFallbackStep = 10ms;

// posix_spawn's C structures, destroyed on every path.
struct SpawnFileActions {
    posix_spawn_file_actions_t actions;
    SpawnFileActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnFileActions() { posix_spawn_file_actions_destroy(&actions); }

    // Puts `fd` at `target` in the child, or /dev/null when fd is -1.
    void attach(int fd, int target, int nullFlags) {
        if (fd >= 0)
            posix_spawn_file_actions_adddup2(&actions, fd, target);
        else
            posix_spawn_file_actions_addopen(&actions, target, "/dev/null", nullFlags, 0);
    }
};

struct SpawnAttributes {
    posix_spawnattr_t attributes;
    SpawnAttributes() {
        posix_spawnattr_init(&attributes);
        // The child starts with no blocked signals and SIGPIPE at its default, whatever
        // the calling thread or the application did with them.
        sigset_t none, pipeSignal;
        sigemptyset(&none);
        sigemptyset(&pipeSignal);
        sigaddset(&pipeSignal, SIGPIPE);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &pipeSignal);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes); }
};

int decodedStatus(int raw) {
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
    return -1;
}

// A descriptor that becomes readable when the child exits; -1 on kernels without one.
int openProcessDescriptor(pid_t pid) {
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

timespec asTimespec(std::chrono::microseconds duration) {
    if (duration < 0us) duration = 0us;
    return timespec{static_cast<time_t>(duration.count() / 1'000'000),
                    static_cast<long>(duration.count() % 1'000'000) * 1000};
}

}  // namespace

std::shared_ptr<ChildProcess> ChildProcess::spawn(const Launch& launch) {
    SpawnFileActions files;
    files.attach(launch.standardInput, STDIN_FILENO, O_RDONLY);
    files.attach(launch.standardOutput, STDOUT_FILENO, O_WRONLY);
    files.attach(launch.standardError, STDERR_FILENO, O_WRONLY);
    if (launch.currentDirectory) posix_spawn_file_actions_addchdir_np(&files.actions, launch.currentDirectory->c_str());
    SpawnAttributes attributes;

    std::vector<char*> argv;
    argv.reserve(launch.arguments.size() + 2);
    argv.push_back(const_cast<char*>(launch.executable.c_str()));
    for (const auto& argument : launch.arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    int error =
        posix_spawn(&pid, launch.executable.c_str(), &files.actions, &attributes.attributes, argv.data(), environ);
    if (error != 0) throw std::system_error(error, std::generic_category(), launch.executable);

    int pidfd = launch.useProcessDescriptor ? openProcessDescriptor(pid) : -1;
    try {
        return std::shared_ptr<ChildProcess>(new ChildProcess(pid, pidfd));
    } catch (...) {
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        if (pidfd >= 0) ::close(pidfd);
        throw;
    }
}

ChildProcess::~ChildProcess() {
    {
        std::lock_guard lock(mutex_);
        if (!reaped_) ::kill(pid_, SIGKILL);
    }
    tryReap(true);
    if (pidfd_ >= 0) ::close(pidfd_);
}

bool ChildProcess::tryReap(bool block) {
    std::lock_guard lock(mutex_);
    if (reaped_) return true;
    int raw = 0;
    pid_t result;
    do {
        result = ::waitpid(pid_, &raw, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) return false;
    // ECHILD means the child was reaped behind our back (SIGCHLD ignored): status unknown.
    reaped_ = true;
    status_ = result == pid_ ? decodedStatus(raw) : -1;
    return true;
}

std::chrono::microseconds ChildProcess::nextPollStep(std::chrono::microseconds limit) {
    auto step = std::min(fallbackStep_, limit);
    fallbackStep_ = std::min(fallbackStep_ * 2, kLongestFallbackStep);
    return step;
}

bool ChildProcess::waitForExit(std::chrono::microseconds limit, int writableFd) {
    pollfd fds[2];
    nfds_t count = 0;
    if (pidfd_ >= 0) fds[count++] = pollfd{pidfd_, POLLIN, 0};
    if (writableFd >= 0) fds[count++] = pollfd{writableFd, POLLOUT, 0};
    // Without a process descriptor, poll only sleeps a growing step between waitpid checks.
    const timespec timeout = asTimespec(pidfd_ >= 0 ? limit : nextPollStep(limit));
    int ready = ::ppoll(fds, count, &timeout, nullptr);
    if (ready < 0) return tryReap(false);
    if (pidfd_ < 0 || fds[0].revents != 0) return tryReap(false);
    return false;
}

void ChildProcess::terminate() {
    std::lock_guard lock(mutex_);
    if (!reaped_) ::kill(pid_, SIGTERM);
}

void ChildProcess::terminateAndReap(std::chrono::microseconds grace) {
    terminate();
    const auto deadline = std::chrono::steady_clock::now() + grace;
    for (auto now = std::chrono::steady_clock::now(); now < deadline; now = std::chrono::steady_clock::now()) {
        if (waitForExit(std::chrono::duration_cast<std::chrono::microseconds>(deadline - now))) return;
    }
    {
        std::lock_guard lock(mutex_);
        if (!reaped_) ::kill(pid_, SIGKILL);
    }
    tryReap(true);
}

}  // namespace tidewell
