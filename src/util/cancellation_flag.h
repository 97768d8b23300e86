#pragma once

#include <mutex>

namespace tidewell {

// A lock-guarded cancelled flag shared between the thread that may cancel and
// the thread doing the work. Never reset: each operation gets a new one.
class CancellationFlag {
public:
    void cancel() {
        std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    bool isCancelled() const {
        std::lock_guard lock(mutex_);
        return cancelled_;
    }

private:
    mutable std::mutex mutex_;
    bool cancelled_ = false;
};

}  // namespace tidewell
