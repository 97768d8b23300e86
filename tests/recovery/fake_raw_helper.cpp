#include "fake_raw_helper.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "platform/helper_protocol.h"

namespace tidewell::testing {

namespace {

using namespace platform;

HelperDeadline soon() {
    return std::chrono::steady_clock::now() + std::chrono::seconds(10);
}

int listenAt(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 8) != 0)
        throw std::runtime_error("cannot listen at " + path.string());
    return listener;
}

}  // namespace

FakeRawHelper::FakeRawHelper(std::filesystem::path socketPath, RawReadBehaviour behaviour)
    : behaviour_(std::move(behaviour)) {
    int listener = listenAt(socketPath);
    thread_ = std::thread([this, listener] { serve(listener); });
}

FakeRawHelper::~FakeRawHelper() {
    stopping_ = true;
    thread_.join();
}

void FakeRawHelper::serve(int listener) {
    while (!stopping_) {
        pollfd entry{listener, POLLIN, 0};
        if (::poll(&entry, 1, 20) <= 0) continue;
        HelperSocket connection(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
        if (!connection.isOpen()) continue;
        ++connections_;
        answer(std::move(connection));
    }
    ::close(listener);
}

void FakeRawHelper::answer(HelperSocket connection) {
    auto request = receiveHelperArchive(connection.descriptor(), soon());
    if (request.status != HelperReceiveStatus::received) return;
    if (request.archive.operation == HelperOperation::readMetadata) {
        sendHelperArchive(connection.descriptor(),
                          encodeHelperObject(request.archive.operation, TWHelperMetadata{"/", true, true, 0, 0, false}),
                          soon());
        return;
    }
    behaviour_(connection.descriptor(), request.archive);
}

}  // namespace tidewell::testing
