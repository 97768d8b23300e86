#include "raw_range_stream.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/helper_protocol.h"

namespace tidewell::helper {

namespace {

using namespace platform;

constexpr int pipeCapacity = 1 << 20;
constexpr std::size_t copyChunk = 1 << 20;

class Pipe {
public:
    Pipe() {
        if (::pipe2(ends_, O_CLOEXEC) != 0) ends_[0] = ends_[1] = -1;
        if (isOpen()) ::fcntl(ends_[1], F_SETPIPE_SZ, pipeCapacity);
    }
    ~Pipe() {
        for (int end : ends_)
            if (end >= 0) ::close(end);
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    bool isOpen() const { return ends_[0] >= 0; }
    int readEnd() const { return ends_[0]; }
    int writeEnd() const { return ends_[1]; }

private:
    int ends_[2] = {-1, -1};
};

// Moves count bytes waiting in the pipe to the socket.
bool drainPipe(const Pipe& pipe, int connection, std::size_t count, HelperDeadline deadline) {
    while (count > 0) {
        ssize_t moved =
            ::splice(pipe.readEnd(), nullptr, connection, nullptr, count, SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
        if (moved > 0) {
            count -= static_cast<std::size_t>(moved);
        } else if (moved < 0 && errno == EAGAIN) {
            if (!waitHelperSocketReady(connection, POLLOUT, deadline)) return false;
        } else if (moved == 0 || errno != EINTR) {
            return false;
        }
    }
    return true;
}

bool copyRange(int device, std::int64_t offset, std::int64_t remaining, int connection, HelperDeadline deadline) {
    HelperBytes buffer(static_cast<std::size_t>(std::min<std::int64_t>(remaining, copyChunk)));
    while (remaining > 0) {
        const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(remaining, copyChunk));
        ssize_t count = ::pread(device, buffer.data(), wanted, offset);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        if (!sendHelperBytes(connection, std::span(buffer).first(static_cast<std::size_t>(count)), deadline))
            return false;
        offset += count;
        remaining -= count;
    }
    return true;
}

}  // namespace

bool streamRawRange(int connection, const std::string& operation, const RawDeviceRange& range,
                    HelperDeadline deadline) {
    const HelperBytes head = encodeHelperFrameHead(encodeHelperObject(operation, TWHelperRawReadResult{}),
                                                   static_cast<std::uint32_t>(range.length()));
    if (!sendHelperBytes(connection, head, deadline)) return false;
    Pipe pipe;
    loff_t offset = range.offset();
    std::int64_t remaining = range.length();
    while (remaining > 0 && pipe.isOpen()) {
        const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(remaining, pipeCapacity));
        ssize_t filled = ::splice(range.descriptor(), &offset, pipe.writeEnd(), nullptr, wanted, SPLICE_F_MOVE);
        if (filled < 0 && errno == EINTR) continue;
        if (filled < 0 && (errno == EINVAL || errno == ENOSYS)) break;  // not spliceable: copy the rest
        if (filled <= 0) return false;
        if (!drainPipe(pipe, connection, static_cast<std::size_t>(filled), deadline)) return false;
        remaining -= filled;
    }
    return remaining == 0 || copyRange(range.descriptor(), offset, remaining, connection, deadline);
}

}  // namespace tidewell::helper
