#include "raw_helper_server.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>

#include "platform/helper_protocol.h"
#include "platform/helper_protocol_channel.h"
#include "raw_helper_requests.h"

namespace tidewell::helper {

namespace {

using namespace platform;

std::atomic<int> openConnections{0};

HelperDeadline secondsFromNow(int seconds) {
    return std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
}

// The listening socket handed over by socket activation, if any.
int inheritedSocket() {
    const char* pid = std::getenv("LISTEN_PID");
    const char* count = std::getenv("LISTEN_FDS");
    if (!pid || !count || std::to_string(::getpid()) != pid || std::string(count) != "1") return -1;
    return 3;
}

int listenAt(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    if (text.size() >= sizeof address.sun_path) return -1;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    struct stat existing {};
    if (::lstat(text.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) return -1;  // never remove anything but a stale socket
        ::unlink(text.c_str());
    }
    int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) return -1;
    // Anyone may connect; the peer's credentials decide who is served.
    if (::bind(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(text.c_str(), 0666) != 0 || ::listen(descriptor, 16) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

bool isAllowed(const std::optional<PeerCredentials>& peer, uid_t allowedUID) {
    return peer && (peer->uid == 0 || peer->uid == allowedUID);
}

void refuse(HelperSocket connection, const std::string& message) {
    sendHelperArchive(connection.descriptor(), encodeHelperError("refused", message), secondsFromNow(2));
}

// Sequential requests on one connection until the peer closes, stalls or
// sends something that is not a frame (answered with an error, then closed).
void serveConnection(HelperSocket connection, PeerCredentials peer, const RawDeviceSettings& settings) {
    HelperConnection client{connection.descriptor(), std::move(peer), {}};
    for (;;) {
        auto received = receiveHelperArchive(connection.descriptor(), secondsFromNow(ServerLimits::idleSeconds),
                                             /*maxBulkLength=*/0);
        if (received.status == HelperReceiveStatus::malformed) {
            refuse(std::move(connection), "The read-only recovery helper could not decode the request.");
            break;
        }
        if (received.status != HelperReceiveStatus::received) break;
        if (!answerHelperRequest(client, received.archive, settings, secondsFromNow(ServerLimits::idleSeconds))) break;
    }
    --openConnections;
}

void accept(int listener, const RawHelperServerSettings& settings) {
    HelperSocket connection(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
    if (!connection.isOpen()) {
        if (errno != EINTR && errno != ECONNABORTED) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return;
    }
    // Who asks is read once, from the kernel, for the whole connection.
    auto peer = peerCredentialsOf(connection.descriptor());
    if (!isAllowed(peer, settings.allowedUID))
        return refuse(std::move(connection),
                      "The read-only recovery helper serves only the user it was installed for.");
    if (openConnections.load() >= ServerLimits::maxConnections)
        return refuse(std::move(connection), "The read-only recovery helper is busy.");
    // Room for a whole 4 MiB read in flight: fewer wake-ups on both sides.
    const int sendBuffer = 4 << 20;
    if (::setsockopt(connection.descriptor(), SOL_SOCKET, SO_SNDBUFFORCE, &sendBuffer, sizeof sendBuffer) != 0)
        ::setsockopt(connection.descriptor(), SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    ++openConnections;
    std::thread(serveConnection, std::move(connection), std::move(*peer), settings.device).detach();
}

}  // namespace

int runRawHelperServer(const RawHelperServerSettings& settings) {
    ::signal(SIGPIPE, SIG_IGN);
    int listener = inheritedSocket();
    if (listener < 0) listener = listenAt(settings.socketPath);
    if (listener < 0) {
        std::cerr << "tidewell-raw-helper: cannot listen at " << settings.socketPath.string() << ": "
                  << std::strerror(errno) << "\n";
        return 1;
    }
    for (;;) accept(listener, settings);
}

}  // namespace tidewell::helper
