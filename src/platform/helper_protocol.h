#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/helper_protocol_archive.h"

// The messages exchanged with the privileged read-only helper. Class names and
// keys are fixed: both sides must agree on them byte for byte.
namespace tidewell::platform {

inline constexpr std::string_view helperServiceName = "app.tidewell.RawRecoveryHelperV2";
inline constexpr std::string_view defaultHelperSocketPath = "/run/app.tidewell.RawRecoveryHelperV2.sock";

// Operations of TWPrivilegedHelperProtocol, in declaration order.
namespace HelperOperation {
inline constexpr std::string_view readRawBytes = "readRawBytes";
inline constexpr std::string_view readMetadata = "readMetadata";
inline constexpr std::string_view verifyOwnership = "verifyOwnership";
inline constexpr std::string_view moveLaunchItemToTrash = "moveLaunchItemToTrash";
inline constexpr std::string_view stopLaunchDaemon = "stopLaunchDaemon";
inline constexpr std::string_view movePrivilegedHelperToTrash = "movePrivilegedHelperToTrash";
}  // namespace HelperOperation

struct TWHelperRawReadRequest {
    static constexpr std::string_view className = "TWHelperRawReadRequest";
    std::string deviceIdentifier;
    std::int64_t offset = 0;
    std::int64_t length = 0;
    bool operator==(const TWHelperRawReadRequest&) const = default;
};

struct TWHelperRawReadResult {
    static constexpr std::string_view className = "TWHelperRawReadResult";
    HelperBytes data;
    bool operator==(const TWHelperRawReadResult&) const = default;
};

struct TWHelperPathRequest {
    static constexpr std::string_view className = "TWHelperPathRequest";
    std::string path;
    bool operator==(const TWHelperPathRequest&) const = default;
};

struct TWHelperOwnershipRequest {
    static constexpr std::string_view className = "TWHelperOwnershipRequest";
    std::string candidatePath;
    std::string targetBundlePath;
    std::string targetBundleIdentifier;
    bool operator==(const TWHelperOwnershipRequest&) const = default;
};

struct TWHelperPlanRequest {
    static constexpr std::string_view className = "TWHelperPlanRequest";
    std::string path;
    std::string targetBundlePath;
    std::string targetBundleIdentifier;
    std::string planHash;
    bool operator==(const TWHelperPlanRequest&) const = default;
};

struct TWHelperMetadata {
    static constexpr std::string_view className = "TWHelperMetadata";
    // ownerUID travels as a signed 32-bit value: identifiers above its range are
    // sent as -1, and a negative wire value decodes as this "no user" value.
    static constexpr std::uint32_t unrepresentableOwnerUID = 0xFFFFFFFFu;
    std::string path;
    bool exists = false;
    bool isDirectory = false;
    std::int64_t sizeBytes = 0;
    std::uint32_t ownerUID = 0;
    bool isSymbolicLink = false;
    bool operator==(const TWHelperMetadata&) const = default;
};

struct TWHelperVerification {
    static constexpr std::string_view className = "TWHelperVerification";
    bool allowed = false;
    std::string reason;
    bool operator==(const TWHelperVerification&) const = default;
};

struct TWHelperOperationResult {
    static constexpr std::string_view className = "TWHelperOperationResult";
    bool success = false;
    std::string message;
    bool operator==(const TWHelperOperationResult&) const = default;
};

// The error form of a reply: class "TWHelperError" with the key "message".
inline constexpr std::string_view helperErrorClassName = "TWHelperError";

HelperArchive encodeHelperObject(std::string_view operation, const TWHelperRawReadRequest& object);
HelperArchive encodeHelperObject(std::string_view operation, TWHelperRawReadResult object);
HelperArchive encodeHelperObject(std::string_view operation, const TWHelperPathRequest& object);
HelperArchive encodeHelperObject(std::string_view operation, const TWHelperOwnershipRequest& object);
HelperArchive encodeHelperObject(std::string_view operation, const TWHelperPlanRequest& object);
HelperArchive encodeHelperObject(std::string_view operation, const TWHelperMetadata& object);
HelperArchive encodeHelperObject(std::string_view operation, const TWHelperVerification& object);
HelperArchive encodeHelperObject(std::string_view operation, const TWHelperOperationResult& object);
HelperArchive encodeHelperError(std::string_view operation, const std::string& message);

// Decodes an archive of exactly T's class name; a required string that is
// missing or not a string fails the whole object. Plain reads of absent or
// mistyped numbers and Booleans give 0 and false.
template <typename T>
std::optional<T> decodeHelperObject(const HelperArchive& archive);
template <>
std::optional<TWHelperRawReadRequest> decodeHelperObject(const HelperArchive& archive);
template <>
std::optional<TWHelperRawReadResult> decodeHelperObject(const HelperArchive& archive);
template <>
std::optional<TWHelperPathRequest> decodeHelperObject(const HelperArchive& archive);
template <>
std::optional<TWHelperOwnershipRequest> decodeHelperObject(const HelperArchive& archive);
template <>
std::optional<TWHelperPlanRequest> decodeHelperObject(const HelperArchive& archive);
template <>
std::optional<TWHelperMetadata> decodeHelperObject(const HelperArchive& archive);
template <>
std::optional<TWHelperVerification> decodeHelperObject(const HelperArchive& archive);
template <>
std::optional<TWHelperOperationResult> decodeHelperObject(const HelperArchive& archive);

// The taken form of decodeHelperObject for the one message that carries bulk data.
std::optional<TWHelperRawReadResult> takeHelperRawReadResult(HelperArchive&& archive);

// The message of an error reply ("Unknown" when it has none); nullopt for other classes.
std::optional<std::string> decodeHelperError(const HelperArchive& archive);

}  // namespace tidewell::platform
