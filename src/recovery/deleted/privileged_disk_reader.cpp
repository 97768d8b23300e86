#include "recovery/deleted/privileged_disk_reader.h"

#include <charconv>
#include <cstdlib>

#include "platform/helper_protocol_channel.h"
#include "platform/layout_text.h"

namespace tidewell::PrivilegedDiskReader {

namespace {

using namespace platform;
using Case = PrivilegedReadError::Case;

constexpr const char* unreachableMessage = "The privileged recovery reader could not be reached.";
std::string noReplyMessage() {
    return layoutText(
        "The read-only recovery helper did not respond. Try the scan again and approve the administrator prompt if "
        "macOS shows one.",
        "The read-only recovery helper did not respond. Try the scan again and approve the system's administrator "
        "prompt (polkit) if it shows one.");
}
constexpr const char* incompleteMessage = "The privileged recovery reader returned incomplete data.";

HelperDeadline deadlineAfter(std::chrono::milliseconds wait) {
    return std::chrono::steady_clock::now() + wait;
}

// One request on a connection of its own: connect, send, wait for the reply, close.
HelperReceived roundTrip(const HelperArchive& request, std::chrono::milliseconds wait) {
    HelperSocket connection = connectHelperSocket(socketPath());
    if (!connection.isOpen()) throw PrivilegedReadError(Case::administratorAuthorizationFailed, unreachableMessage);
    const HelperDeadline deadline = deadlineAfter(wait);
    if (!sendHelperArchive(connection.descriptor(), request, deadline))
        throw PrivilegedReadError(Case::administratorAuthorizationFailed, unreachableMessage);
    return receiveHelperArchive(connection.descriptor(), deadline);
}

}  // namespace

std::filesystem::path socketPath() {
    const char* value = std::getenv("TIDEWELL_HELPER_SOCKET");
    return value && *value ? std::filesystem::path(value) : std::filesystem::path(defaultHelperSocketPath);
}

std::chrono::milliseconds replyWait() {
    const char* value = std::getenv("TIDEWELL_HELPER_REPLY_WAIT_MS");
    if (!value) return Limits::replyWait;
    std::int64_t milliseconds = 0;
    auto [end, error] = std::from_chars(value, value + std::char_traits<char>::length(value), milliseconds);
    if (error != std::errc() || *end != '\0' || milliseconds <= 0) return Limits::replyWait;
    return std::chrono::milliseconds(milliseconds);
}

bool installedHelperIsReachable() {
    try {
        auto reply = roundTrip(encodeHelperObject(HelperOperation::readMetadata, TWHelperPathRequest{"/"}),
                               Limits::reachabilityWait);
        return reply.status == HelperReceiveStatus::received &&
               decodeHelperObject<TWHelperMetadata>(reply.archive).has_value();
    } catch (const PrivilegedReadError&) {
        return false;
    }
}

std::vector<std::uint8_t> read(const std::string& deviceIdentifier, std::int64_t offset, std::int64_t length) {
    installIfNeeded();
    auto reply = roundTrip(
        encodeHelperObject(HelperOperation::readRawBytes, TWHelperRawReadRequest{deviceIdentifier, offset, length}),
        replyWait());
    switch (reply.status) {
        case HelperReceiveStatus::timedOut:
            throw PrivilegedReadError(Case::administratorAuthorizationFailed, noReplyMessage());
        case HelperReceiveStatus::closed:
        case HelperReceiveStatus::failed:
            throw PrivilegedReadError(Case::administratorAuthorizationFailed, unreachableMessage);
        case HelperReceiveStatus::malformed:
            throw PrivilegedReadError(Case::unavailableSource, incompleteMessage);
        case HelperReceiveStatus::received:
            break;
    }
    if (auto message = decodeHelperError(reply.archive))
        throw PrivilegedReadError(Case::administratorAuthorizationFailed, *message);
    auto result = takeHelperRawReadResult(std::move(reply.archive));
    if (!result || result->data.size() != static_cast<std::uint64_t>(length))
        throw PrivilegedReadError(Case::unavailableSource, incompleteMessage);
    return std::move(result->data);
}

void openAuthorizationSettings() {}

}  // namespace tidewell::PrivilegedDiskReader
