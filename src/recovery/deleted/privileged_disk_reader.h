#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/helper_protocol.h"
#include "recovery/deleted/privileged_read_error.h"

// Owns the road to the privileged read-only helper: its installation state,
// the install lock, and one socket connection per request. Throws
// PrivilegedReadError with the user-facing message.
namespace tidewell::PrivilegedDiskReader {

inline constexpr std::string_view helperServiceName = platform::helperServiceName;

namespace Limits {
inline constexpr std::chrono::milliseconds replyWait{30'000};
inline constexpr std::chrono::milliseconds reachabilityWait{2'000};
inline constexpr double installTimeoutSeconds = 600;  // the administrator prompt waits for a person
}  // namespace Limits

// Settings, read from the environment on every call so tests can point them elsewhere:
// TIDEWELL_HELPER_SOCKET (socket path), TIDEWELL_HELPER_REPLY_WAIT_MS (reply wait),
// TIDEWELL_RAW_HELPER (helper executable to install), TIDEWELL_PKEXEC (authorization tool).
std::filesystem::path socketPath();
std::chrono::milliseconds replyWait();

std::mutex& installLock();
bool helperInstalled();
// Forgets the installation, as at process start.
void resetInstallationState();

// Makes sure the helper answers, installing it through pkexec when it does not.
void installIfNeeded();
bool installedHelperIsReachable();

// Exactly length bytes at offset of the partition, over a connection of its own.
std::vector<std::uint8_t> read(const std::string& deviceIdentifier, std::int64_t offset, std::int64_t length);

// A hook for the user interface; it has no effect.
void openAuthorizationSettings();

}  // namespace tidewell::PrivilegedDiskReader
