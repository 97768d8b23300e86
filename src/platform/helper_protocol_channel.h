#pragma once

#include <chrono>
#include <filesystem>

#include "platform/helper_protocol_archive.h"

// Moving archives over a Unix stream socket, with a deadline on every wait so
// that neither side can be held forever by the other.
namespace tidewell::platform {

using HelperDeadline = std::chrono::steady_clock::time_point;

// An owned socket descriptor, closed when the object goes.
class HelperSocket {
public:
    HelperSocket() = default;
    explicit HelperSocket(int descriptor) : descriptor_(descriptor) {}
    ~HelperSocket();
    HelperSocket(HelperSocket&& other) noexcept;
    HelperSocket& operator=(HelperSocket&& other) noexcept;
    HelperSocket(const HelperSocket&) = delete;
    HelperSocket& operator=(const HelperSocket&) = delete;

    int descriptor() const { return descriptor_; }
    bool isOpen() const { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};

// A connected socket, or a closed one when nothing listens at the path.
HelperSocket connectHelperSocket(const std::filesystem::path& path);

// Sends one frame; false when the peer went away or the deadline passed.
bool sendHelperArchive(int descriptor, const HelperArchive& archive, HelperDeadline deadline);

// Sends bytes that are part of a frame (a head whose bulk follows from elsewhere).
bool sendHelperBytes(int descriptor, std::span<const std::uint8_t> bytes, HelperDeadline deadline);

// Waits until the descriptor is ready for the poll events; false on time-out or error.
bool waitHelperSocketReady(int descriptor, short events, HelperDeadline deadline);

enum class HelperReceiveStatus {
    received,
    closed,     // the peer closed before a frame began
    timedOut,   // the deadline passed
    malformed,  // the prefix broke a limit or the archive did not decode
    failed      // the connection broke inside a frame
};

struct HelperReceived {
    HelperReceiveStatus status = HelperReceiveStatus::failed;
    HelperArchive archive;
};

// Receives one frame. The declared lengths are checked before any buffer is
// allocated (maxBulkLength lets a side that expects no bulk refuse any); the
// bulk is received straight into the archive's data value.
HelperReceived receiveHelperArchive(int descriptor, HelperDeadline deadline,
                                    std::uint32_t maxBulkLength = HelperArchiveLimits::maxDataLength);

}  // namespace tidewell::platform
