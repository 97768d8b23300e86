#pragma once

#include <unistd.h>

#include <utility>

namespace tidewell {

// An open file descriptor that is closed when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int value) : value_(value) {}
    ~FileDescriptor() {
        if (value_ >= 0) ::close(value_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return value_; }
    // Closes now so that a failed close (delayed write error) can be reported.
    int close() { return ::close(std::exchange(value_, -1)); }

private:
    int value_;
};

}  // namespace tidewell
