#include "cleanup/sleeping_child.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <system_error>
#include <thread>

namespace tidewell::testing {

namespace fs = std::filesystem;

SleepingChild::SleepingChild(const fs::path& executable, bool ignoreTerminate) {
    pid_ = ::fork();
    if (pid_ == 0) {
        if (ignoreTerminate) ::signal(SIGTERM, SIG_IGN);  // survives exec
        ::execl(executable.c_str(), "sleeper", "60", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int attempt = 0; attempt < 500 && !runs(executable); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

SleepingChild::~SleepingChild() {
    if (!reaped_) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool SleepingChild::runs(const fs::path& executable) const {
    std::error_code error;
    return fs::read_symlink("/proc/" + std::to_string(pid_) + "/exe", error) == executable;
}

bool SleepingChild::isAlive() const {
    return ::kill(pid_, 0) == 0 && !exited();
}

int SleepingChild::endingSignal() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    reaped_ = true;
    return WIFSIGNALED(status) ? WTERMSIG(status) : 0;
}

bool SleepingChild::exited() const {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid != 0;
}

}  // namespace tidewell::testing
