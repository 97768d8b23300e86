#include "process/command_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <mutex>
#include <system_error>

#include "platform/folders.h"
#include "process/child_process.h"
#include "util/text_helpers.h"
#include "util/uuid.h"

namespace tidewell {

std::string CommandOutput::combined() const {
    std::string result;
    for (const std::string& part : {text_helpers::trimmed(stdoutText), text_helpers::trimmed(stderrText)}) {
        if (part.empty()) continue;
        if (!result.empty()) result += '\n';
        result += part;
    }
    return result;
}

namespace CommandRunner {

namespace {

using namespace std::chrono_literals;

// How often cancellation and the deadline are checked; the child's exit itself wakes the wait.
constexpr std::chrono::microseconds kSupervisionInterval = 80ms;
// How long a terminated child may take before it is killed, so that it can always be reaped.
constexpr std::chrono::microseconds kTerminationGrace = 3s;
// Longer time-outs would overflow the clock; nobody waits thirty years for a tool.
constexpr double kLongestTimeout = 1e9;

std::mutex& activeProcessLock() {
    static std::mutex lock;
    return lock;
}

std::vector<std::shared_ptr<ChildProcess>>& activeProcesses() {
    static std::vector<std::shared_ptr<ChildProcess>> processes;
    return processes;
}

// Keeps a launched child in activeProcesses until its run is cleaned up.
class ActiveProcessRegistration {
public:
    explicit ActiveProcessRegistration(std::shared_ptr<ChildProcess> child) : child_(std::move(child)) {
        std::lock_guard lock(activeProcessLock());
        activeProcesses().push_back(child_);
    }
    ~ActiveProcessRegistration() {
        std::lock_guard lock(activeProcessLock());
        std::erase(activeProcesses(), child_);
    }
    ActiveProcessRegistration(const ActiveProcessRegistration&) = delete;
    ActiveProcessRegistration& operator=(const ActiveProcessRegistration&) = delete;

private:
    std::shared_ptr<ChildProcess> child_;
};

// Bytes in the UTF-8 sequence this lead byte starts, 0 when it cannot start one.
std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) return 2;
    if ((lead & 0xF0) == 0xE0) return 3;
    if ((lead & 0xF8) == 0xF0) return 4;
    return 0;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUTF8(std::string_view text) {
    static constexpr char32_t kSmallestOfLength[] = {0, 0, 0x80, 0x800, 0x10000};
    static constexpr unsigned char kLeadBits[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = utf8SequenceLength(lead);
        if (length == 0 || text.size() - i < length) return false;
        char32_t value = lead & kLeadBits[length];
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            value = (value << 6) | (next & 0x3F);
        }
        if (value < kSmallestOfLength[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

// One capture file of a run, open for the child to write; closed and deleted on every path.
class CommandLogFile {
public:
    explicit CommandLogFile(std::filesystem::path path) : path_(std::move(path)) {
        fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd_ < 0) throw std::system_error(errno, std::generic_category(), path_.string());
    }
    ~CommandLogFile() {
        ::close(fd_);
        ::unlink(path_.c_str());
    }
    CommandLogFile(const CommandLogFile&) = delete;
    CommandLogFile& operator=(const CommandLogFile&) = delete;

    int fd() const { return fd_; }

    // The whole capture as text; empty when it cannot be read or is not UTF-8.
    std::string text() const {
        std::string bytes;
        char buffer[65536];
        for (off_t offset = 0;;) {
            ssize_t count = ::pread(fd_, buffer, sizeof buffer, offset);
            if (count < 0 && errno == EINTR) continue;
            if (count < 0) return {};
            if (count == 0) break;
            bytes.append(buffer, static_cast<std::size_t>(count));
            offset += count;
        }
        return isValidUTF8(bytes) ? bytes : std::string();
    }

private:
    std::filesystem::path path_;
    int fd_ = -1;
};

// write() that reports a reader gone as EPIPE instead of killing the application with
// SIGPIPE: the signal is blocked on this thread and a SIGPIPE raised by this write is
// consumed before the mask is restored.
ssize_t writeWithoutBrokenPipeSignal(int fd, const char* data, std::size_t size) {
    sigset_t pipeSignal, previousMask, pending;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previousMask);
    ssize_t written;
    do {
        written = ::write(fd, data, size);
    } while (written < 0 && errno == EINTR);
    const int writeError = errno;
    if (written < 0 && writeError == EPIPE && !alreadyPending) {
        const timespec noWait{};
        while (sigtimedwait(&pipeSignal, nullptr, &noWait) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    errno = writeError;
    return written;
}

// The child's standard-input pipe. The writing end does not block, so the time-out and
// cancellation are still checked while a child is slow to read its input.
class StandardInputFeeder {
public:
    explicit StandardInputFeeder(const std::optional<std::string>& input) {
        if (!input) return;
        text_ = *input;
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
        readEnd_ = ends[0];
        writeEnd_ = ends[1];
        ::fcntl(writeEnd_, F_SETFL, ::fcntl(writeEnd_, F_GETFL) | O_NONBLOCK);
    }
    ~StandardInputFeeder() {
        closeChildEnd();
        closeWriteEnd();
    }
    StandardInputFeeder(const StandardInputFeeder&) = delete;
    StandardInputFeeder& operator=(const StandardInputFeeder&) = delete;

    int childEnd() const { return readEnd_; }  // -1: no input, the child reads /dev/null
    void closeChildEnd() { closeEnd(readEnd_); }
    int pendingEnd() const { return writeEnd_; }  // -1 once all is written

    // Writes what the pipe takes now; the end is closed once all is written or the child
    // stopped reading.
    void feed() {
        while (writeEnd_ >= 0 && written_ < text_.size()) {
            ssize_t count = writeWithoutBrokenPipeSignal(writeEnd_, text_.data() + written_, text_.size() - written_);
            if (count < 0 && errno == EAGAIN) return;
            if (count < 0) break;
            written_ += static_cast<std::size_t>(count);
        }
        closeWriteEnd();
    }

private:
    static void closeEnd(int& fd) {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
    void closeWriteEnd() { closeEnd(writeEnd_); }

    std::string text_;
    std::size_t written_ = 0;
    int readEnd_ = -1;
    int writeEnd_ = -1;
};

double usableTimeout(double timeout) {
    return timeout > 0 ? std::min(timeout, kLongestTimeout) : 0.0;
}

// Waits for the child while feeding its input; on cancellation or time-out the child is
// terminated and reaped before the error is thrown.
void superviseUntilExit(ChildProcess& child, StandardInputFeeder& input, const std::shared_ptr<CancellationFlag>& token,
                        double timeout) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(usableTimeout(timeout)));
    for (;;) {
        if (token && token->isCancelled()) {
            child.terminateAndReap(kTerminationGrace);
            throw CancellationError();
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            child.terminateAndReap(kTerminationGrace);
            throw CommandError(timedOutMessage(timeout));
        }
        const auto wait = std::min(kSupervisionInterval, std::chrono::ceil<std::chrono::microseconds>(deadline - now));
        if (child.waitForExit(wait, input.pendingEnd())) return;
        input.feed();
    }
}

}  // namespace

std::string timedOutMessage(double timeout) {
    const auto minutes = static_cast<long long>(usableTimeout(timeout) / 60);
    return "The repair tool timed out after " + std::to_string(minutes) + " minutes. No original file was changed.";
}

CommandOutput run(const std::string& executable, const std::vector<std::string>& arguments,
                  const std::optional<std::filesystem::path>& currentDirectory,
                  const std::optional<std::string>& standardInput,
                  const std::shared_ptr<CancellationFlag>& cancellationToken, double timeout) {
    if (cancellationToken && cancellationToken->isCancelled()) throw CancellationError();

    // Declared in clean-up order: unregistered, reaped, pipe closed, logs deleted.
    const std::filesystem::path folder = platform::temporaryDirectory();
    const std::string stem = "TidewellCommand-" + makeUUIDString();
    CommandLogFile standardOutput(folder / (stem + "-stdout.log"));
    CommandLogFile standardError(folder / (stem + "-stderr.log"));
    StandardInputFeeder input(standardInput);
    auto child = ChildProcess::spawn(
        {executable, arguments, currentDirectory, input.childEnd(), standardOutput.fd(), standardError.fd()});
    input.closeChildEnd();
    ActiveProcessRegistration registration(child);

    superviseUntilExit(*child, input, cancellationToken, timeout);
    return CommandOutput{child->status(), standardOutput.text(), standardError.text()};
}

void terminateAll() {
    std::vector<std::shared_ptr<ChildProcess>> running;
    {
        std::lock_guard lock(activeProcessLock());
        running = activeProcesses();
    }
    // Outside the lock: a reaped child ignores the request, so no recycled pid is hit.
    for (const auto& child : running) child->terminate();
}

}  // namespace CommandRunner

}  // namespace tidewell
