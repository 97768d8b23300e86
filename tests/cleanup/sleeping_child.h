#pragma once

#include <sys/types.h>

#include <filesystem>

namespace tidewell::testing {

// A child running `executable` (a copy of sleep(1)) for a minute, reaped on destruction.
// The constructor returns once the child runs that program rather than the test's image.
class SleepingChild {
public:
    // `ignoreTerminate`: the child ignores SIGTERM (the setting survives the exec).
    SleepingChild(const std::filesystem::path& executable, bool ignoreTerminate);
    ~SleepingChild();
    SleepingChild(const SleepingChild&) = delete;
    SleepingChild& operator=(const SleepingChild&) = delete;

    pid_t pid() const { return pid_; }
    bool runs(const std::filesystem::path& executable) const;
    bool isAlive() const;
    // The signal that ended the child, reaping it.
    int endingSignal();

private:
    bool exited() const;
    pid_t pid_ = -1;
    bool reaped_ = false;
};

}  // namespace tidewell::testing
