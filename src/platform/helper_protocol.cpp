#include "platform/helper_protocol.h"

#include <limits>

namespace tidewell::platform {

namespace {

constexpr const char* unknownText = "Unknown";

HelperArchive archiveOf(std::string_view operation, std::string_view className,
                        std::initializer_list<std::pair<const std::string, HelperValue>> values) {
    return HelperArchive{std::string(operation), std::string(className), values};
}

bool hasClass(const HelperArchive& archive, std::string_view className) {
    return archive.className == className;
}

std::optional<std::string> requiredString(const HelperArchive& archive, const std::string& key) {
    auto found = archive.values.find(key);
    if (found == archive.values.end()) return std::nullopt;
    if (auto text = std::get_if<std::string>(&found->second)) return *text;
    return std::nullopt;
}

std::string stringOrUnknown(const HelperArchive& archive, const std::string& key) {
    return requiredString(archive, key).value_or(unknownText);
}

// Integers are read whatever their width on the wire, as a keyed archive does.
std::int64_t plainInteger(const HelperArchive& archive, const std::string& key) {
    auto found = archive.values.find(key);
    if (found == archive.values.end()) return 0;
    if (auto wide = std::get_if<std::int64_t>(&found->second)) return *wide;
    if (auto narrow = std::get_if<std::int32_t>(&found->second)) return *narrow;
    return 0;
}

bool plainBool(const HelperArchive& archive, const std::string& key) {
    auto found = archive.values.find(key);
    if (found == archive.values.end()) return false;
    if (auto flag = std::get_if<bool>(&found->second)) return *flag;
    return false;
}

std::int32_t ownerUIDOnWire(std::uint32_t uid) {
    if (uid > static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) return -1;
    return static_cast<std::int32_t>(uid);
}

std::uint32_t ownerUIDFromWire(std::int64_t value) {
    if (value < 0 || value > std::numeric_limits<std::int32_t>::max()) return TWHelperMetadata::unrepresentableOwnerUID;
    return static_cast<std::uint32_t>(value);
}

}  // namespace

HelperArchive encodeHelperObject(std::string_view operation, const TWHelperRawReadRequest& object) {
    return archiveOf(
        operation, object.className,
        {{"deviceIdentifier", object.deviceIdentifier}, {"offset", object.offset}, {"length", object.length}});
}

HelperArchive encodeHelperObject(std::string_view operation, TWHelperRawReadResult object) {
    HelperArchive archive = archiveOf(operation, object.className, {});
    archive.values["data"] = std::move(object.data);
    return archive;
}

HelperArchive encodeHelperObject(std::string_view operation, const TWHelperPathRequest& object) {
    return archiveOf(operation, object.className, {{"path", object.path}});
}

HelperArchive encodeHelperObject(std::string_view operation, const TWHelperOwnershipRequest& object) {
    return archiveOf(operation, object.className,
                     {{"candidatePath", object.candidatePath},
                      {"targetBundlePath", object.targetBundlePath},
                      {"targetBundleIdentifier", object.targetBundleIdentifier}});
}

HelperArchive encodeHelperObject(std::string_view operation, const TWHelperPlanRequest& object) {
    return archiveOf(operation, object.className,
                     {{"path", object.path},
                      {"targetBundlePath", object.targetBundlePath},
                      {"targetBundleIdentifier", object.targetBundleIdentifier},
                      {"planHash", object.planHash}});
}

HelperArchive encodeHelperObject(std::string_view operation, const TWHelperMetadata& object) {
    return archiveOf(operation, object.className,
                     {{"path", object.path},
                      {"exists", object.exists},
                      {"isDirectory", object.isDirectory},
                      {"sizeBytes", object.sizeBytes},
                      {"ownerUID", ownerUIDOnWire(object.ownerUID)},
                      {"isSymbolicLink", object.isSymbolicLink}});
}

HelperArchive encodeHelperObject(std::string_view operation, const TWHelperVerification& object) {
    return archiveOf(operation, object.className, {{"allowed", object.allowed}, {"reason", object.reason}});
}

HelperArchive encodeHelperObject(std::string_view operation, const TWHelperOperationResult& object) {
    return archiveOf(operation, object.className, {{"success", object.success}, {"message", object.message}});
}

HelperArchive encodeHelperError(std::string_view operation, const std::string& message) {
    return archiveOf(operation, helperErrorClassName, {{"message", message}});
}

template <>
std::optional<TWHelperRawReadRequest> decodeHelperObject(const HelperArchive& archive) {
    if (!hasClass(archive, TWHelperRawReadRequest::className)) return std::nullopt;
    auto identifier = requiredString(archive, "deviceIdentifier");
    if (!identifier) return std::nullopt;
    return TWHelperRawReadRequest{*identifier, plainInteger(archive, "offset"), plainInteger(archive, "length")};
}

template <>
std::optional<TWHelperRawReadResult> decodeHelperObject(const HelperArchive& archive) {
    return takeHelperRawReadResult(HelperArchive(archive));
}

std::optional<TWHelperRawReadResult> takeHelperRawReadResult(HelperArchive&& archive) {
    if (!hasClass(archive, TWHelperRawReadResult::className)) return std::nullopt;
    auto found = archive.values.find("data");
    if (found == archive.values.end()) return std::nullopt;
    auto data = std::get_if<HelperBytes>(&found->second);
    if (!data) return std::nullopt;
    return TWHelperRawReadResult{std::move(*data)};
}

template <>
std::optional<TWHelperPathRequest> decodeHelperObject(const HelperArchive& archive) {
    if (!hasClass(archive, TWHelperPathRequest::className)) return std::nullopt;
    auto path = requiredString(archive, "path");
    if (!path) return std::nullopt;
    return TWHelperPathRequest{*path};
}

template <>
std::optional<TWHelperOwnershipRequest> decodeHelperObject(const HelperArchive& archive) {
    if (!hasClass(archive, TWHelperOwnershipRequest::className)) return std::nullopt;
    auto candidate = requiredString(archive, "candidatePath");
    auto bundlePath = requiredString(archive, "targetBundlePath");
    auto bundleIdentifier = requiredString(archive, "targetBundleIdentifier");
    if (!candidate || !bundlePath || !bundleIdentifier) return std::nullopt;
    return TWHelperOwnershipRequest{*candidate, *bundlePath, *bundleIdentifier};
}

template <>
std::optional<TWHelperPlanRequest> decodeHelperObject(const HelperArchive& archive) {
    if (!hasClass(archive, TWHelperPlanRequest::className)) return std::nullopt;
    auto path = requiredString(archive, "path");
    auto bundlePath = requiredString(archive, "targetBundlePath");
    auto bundleIdentifier = requiredString(archive, "targetBundleIdentifier");
    auto planHash = requiredString(archive, "planHash");
    if (!path || !bundlePath || !bundleIdentifier || !planHash) return std::nullopt;
    return TWHelperPlanRequest{*path, *bundlePath, *bundleIdentifier, *planHash};
}

template <>
std::optional<TWHelperMetadata> decodeHelperObject(const HelperArchive& archive) {
    if (!hasClass(archive, TWHelperMetadata::className)) return std::nullopt;
    auto path = requiredString(archive, "path");
    if (!path) return std::nullopt;
    TWHelperMetadata metadata;
    metadata.path = *path;
    metadata.exists = plainBool(archive, "exists");
    metadata.isDirectory = plainBool(archive, "isDirectory");
    metadata.sizeBytes = plainInteger(archive, "sizeBytes");
    metadata.ownerUID = archive.values.contains("ownerUID") ? ownerUIDFromWire(plainInteger(archive, "ownerUID")) : 0;
    metadata.isSymbolicLink = plainBool(archive, "isSymbolicLink");
    return metadata;
}

template <>
std::optional<TWHelperVerification> decodeHelperObject(const HelperArchive& archive) {
    if (!hasClass(archive, TWHelperVerification::className)) return std::nullopt;
    return TWHelperVerification{plainBool(archive, "allowed"), stringOrUnknown(archive, "reason")};
}

template <>
std::optional<TWHelperOperationResult> decodeHelperObject(const HelperArchive& archive) {
    if (!hasClass(archive, TWHelperOperationResult::className)) return std::nullopt;
    return TWHelperOperationResult{plainBool(archive, "success"), stringOrUnknown(archive, "message")};
}

std::optional<std::string> decodeHelperError(const HelperArchive& archive) {
    if (!hasClass(archive, helperErrorClassName)) return std::nullopt;
    return stringOrUnknown(archive, "message");
}

}  // namespace tidewell::platform
