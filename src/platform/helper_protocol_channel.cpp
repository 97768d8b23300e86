#include "platform/helper_protocol_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace tidewell::platform {

bool waitHelperSocketReady(int descriptor, short events, HelperDeadline deadline) {
    for (;;) {
        auto remaining =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (remaining.count() < 0) return false;
        pollfd entry{descriptor, events, 0};
        int ready = ::poll(&entry, 1, static_cast<int>(std::min<std::int64_t>(remaining.count(), 60'000)));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

namespace {

enum class ReadOutcome { complete, endedBeforeStart, endedInside, timedOut, failed };

// Blocking receive with a time-out on the socket: one call can take a whole
// bulk as it arrives, without a wake-up and a poll per piece.
ReadOutcome receiveExactly(int descriptor, std::uint8_t* buffer, std::size_t length, HelperDeadline deadline) {
    std::size_t done = 0;
    while (done < length) {
        auto remaining =
            std::chrono::duration_cast<std::chrono::microseconds>(deadline - std::chrono::steady_clock::now());
        if (remaining.count() <= 0) return ReadOutcome::timedOut;
        timeval limit{static_cast<time_t>(remaining.count() / 1'000'000),
                      static_cast<suseconds_t>(remaining.count() % 1'000'000)};
        if (::setsockopt(descriptor, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0) return ReadOutcome::failed;
        ssize_t count = ::recv(descriptor, buffer + done, length - done, MSG_WAITALL);
        if (count == 0) return done == 0 ? ReadOutcome::endedBeforeStart : ReadOutcome::endedInside;
        if (count < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            return ReadOutcome::failed;
        }
        done += static_cast<std::size_t>(count);
    }
    return ReadOutcome::complete;
}

HelperReceiveStatus statusOf(ReadOutcome outcome, bool frameStarted) {
    switch (outcome) {
        case ReadOutcome::timedOut:
            return HelperReceiveStatus::timedOut;
        case ReadOutcome::endedBeforeStart:
            return frameStarted ? HelperReceiveStatus::failed : HelperReceiveStatus::closed;
        default:
            return HelperReceiveStatus::failed;
    }
}

}  // namespace

HelperSocket::~HelperSocket() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

HelperSocket::HelperSocket(HelperSocket&& other) noexcept : descriptor_(other.descriptor_) {
    other.descriptor_ = -1;
}

HelperSocket& HelperSocket::operator=(HelperSocket&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) ::close(descriptor_);
        descriptor_ = other.descriptor_;
        other.descriptor_ = -1;
    }
    return *this;
}

HelperSocket connectHelperSocket(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.empty() || text.size() >= sizeof address.sun_path) return HelperSocket();
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    HelperSocket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.isOpen()) return socket;
    if (::connect(socket.descriptor(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return HelperSocket();
    return socket;
}

namespace {

// Sends every byte of the parts in order, as few system calls as the socket allows.
bool sendParts(int descriptor, std::array<iovec, 2> parts, HelperDeadline deadline) {
    std::size_t first = 0;
    while (first < parts.size()) {
        if (parts[first].iov_len == 0) {
            ++first;
            continue;
        }
        if (!waitHelperSocketReady(descriptor, POLLOUT, deadline)) return false;
        msghdr message{};
        message.msg_iov = parts.data() + first;
        message.msg_iovlen = parts.size() - first;
        ssize_t sent = ::sendmsg(descriptor, &message, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent < 0) {
            if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
            return false;
        }
        for (auto remaining = static_cast<std::size_t>(sent); remaining > 0 && first < parts.size();) {
            std::size_t used = std::min(remaining, parts[first].iov_len);
            parts[first].iov_base = static_cast<std::uint8_t*>(parts[first].iov_base) + used;
            parts[first].iov_len -= used;
            remaining -= used;
            if (parts[first].iov_len == 0) ++first;
        }
    }
    return true;
}

iovec partOf(std::span<const std::uint8_t> bytes) {
    return iovec{const_cast<std::uint8_t*>(bytes.data()), bytes.size()};
}

}  // namespace

bool sendHelperArchive(int descriptor, const HelperArchive& archive, HelperDeadline deadline) {
    const HelperBytes head = encodeHelperFrameHead(archive);
    const HelperBytes* bulk = bulkOf(archive);
    return sendParts(descriptor, {partOf(head), bulk ? partOf(*bulk) : iovec{nullptr, 0}}, deadline);
}

bool sendHelperBytes(int descriptor, std::span<const std::uint8_t> bytes, HelperDeadline deadline) {
    return sendParts(descriptor, {partOf(bytes), iovec{nullptr, 0}}, deadline);
}

HelperReceived receiveHelperArchive(int descriptor, HelperDeadline deadline, std::uint32_t maxBulkLength) {
    std::array<std::uint8_t, HelperArchiveLimits::prefixLength> prefix{};
    auto outcome = receiveExactly(descriptor, prefix.data(), prefix.size(), deadline);
    if (outcome != ReadOutcome::complete) return {statusOf(outcome, false), {}};
    auto lengths = decodeHelperFramePrefix(prefix);
    if (!lengths || lengths->bulk > maxBulkLength) return {HelperReceiveStatus::malformed, {}};
    HelperBytes header(lengths->header);
    outcome = receiveExactly(descriptor, header.data(), header.size(), deadline);
    if (outcome != ReadOutcome::complete) return {statusOf(outcome, true), {}};
    HelperBytes bulk(lengths->bulk);
    outcome = receiveExactly(descriptor, bulk.data(), bulk.size(), deadline);
    if (outcome != ReadOutcome::complete) return {statusOf(outcome, true), {}};
    auto archive = decodeHelperArchive(header, std::move(bulk));
    if (!archive) return {HelperReceiveStatus::malformed, {}};
    return {HelperReceiveStatus::received, std::move(*archive)};
}

}  // namespace tidewell::platform
