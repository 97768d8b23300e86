#include "raw_helper_requests.h"

#include <sys/stat.h>

#include <cerrno>

#include "device_record.h"
#include "platform/helper_protocol.h"
#include "raw_range_stream.h"

namespace tidewell::helper {

namespace {

using namespace platform;

constexpr const char* notSupported = "Not supported.";
constexpr const char* undecodable = "The read-only recovery helper could not decode the request.";

bool readRawBytes(HelperConnection& connection, const HelperArchive& request, const RawDeviceSettings& settings,
                  HelperDeadline deadline) {
    const int socket = connection.descriptor;
    auto decoded = decodeHelperObject<TWHelperRawReadRequest>(request);
    if (!decoded) return sendHelperArchive(socket, encodeHelperError(request.operation, undecodable), deadline);
    auto range =
        openRawDeviceRange(settings, connection.peer, decoded->deviceIdentifier, decoded->offset, decoded->length);
    if (auto message = std::get_if<std::string>(&range))
        return sendHelperArchive(socket, encodeHelperError(request.operation, *message), deadline);
    const auto& opened = std::get<RawDeviceRange>(range);
    if (connection.recordedDevices.insert(decoded->deviceIdentifier).second)
        recordOpenedDevice(settings.recordFile, connection.peer.uid, decoded->deviceIdentifier, opened.device);
    return streamRawRange(socket, request.operation, opened, deadline);
}

struct PathStatus {
    int error = 0;
    struct stat status {};
};

// lstat with the peer's rights: a path the user could not look at itself stays unknown to it.
PathStatus lstatAsPeer(const PeerCredentials& peer, const std::string& path) {
    auto look = [](const void* argument) {
        PathStatus result;
        if (::lstat(static_cast<const char*>(argument), &result.status) != 0) result.error = errno;
        return result;
    };
    return withPeerRights<PathStatus>(peer, look, path.c_str()).value_or(PathStatus{EACCES, {}});
}

HelperArchive readMetadata(const HelperConnection& connection, const HelperArchive& request) {
    auto decoded = decodeHelperObject<TWHelperPathRequest>(request);
    if (!decoded) return encodeHelperError(request.operation, undecodable);
    if (decoded->path.empty() || decoded->path.find('\0') != std::string::npos)
        return encodeHelperError(request.operation, "Nothing exists at " + decoded->path + ".");
    const auto [error, status] = lstatAsPeer(connection.peer, decoded->path);
    if (error == EACCES || error == EPERM)
        return encodeHelperError(request.operation,
                                 "The read-only recovery helper does not look up paths you cannot reach yourself.");
    if (error != 0) return encodeHelperError(request.operation, "Nothing exists at " + decoded->path + ".");
    TWHelperMetadata metadata;
    metadata.path = decoded->path;
    metadata.exists = true;
    metadata.isDirectory = S_ISDIR(status.st_mode);
    metadata.sizeBytes = status.st_size;
    metadata.ownerUID = status.st_uid;
    metadata.isSymbolicLink = S_ISLNK(status.st_mode);
    return encodeHelperObject(request.operation, metadata);
}

HelperArchive verifyOwnership(const HelperArchive& request) {
    if (!decodeHelperObject<TWHelperOwnershipRequest>(request))
        return encodeHelperError(request.operation, undecodable);
    return encodeHelperObject(request.operation, TWHelperVerification{false, notSupported});
}

HelperArchive planOperation(const HelperArchive& request) {
    if (!decodeHelperObject<TWHelperPlanRequest>(request)) return encodeHelperError(request.operation, undecodable);
    return encodeHelperObject(request.operation, TWHelperOperationResult{false, notSupported});
}

HelperArchive answerOther(const HelperConnection& connection, const HelperArchive& request) {
    const std::string& operation = request.operation;
    if (operation == HelperOperation::readMetadata) return readMetadata(connection, request);
    if (operation == HelperOperation::verifyOwnership) return verifyOwnership(request);
    if (operation == HelperOperation::moveLaunchItemToTrash || operation == HelperOperation::stopLaunchDaemon ||
        operation == HelperOperation::movePrivilegedHelperToTrash)
        return planOperation(request);
    return encodeHelperError(operation, "The read-only recovery helper does not know this operation.");
}

}  // namespace

bool answerHelperRequest(HelperConnection& connection, const HelperArchive& request, const RawDeviceSettings& settings,
                         HelperDeadline deadline) {
    if (request.operation == HelperOperation::readRawBytes)
        return readRawBytes(connection, request, settings, deadline);
    return sendHelperArchive(connection.descriptor, answerOther(connection, request), deadline);
}

}  // namespace tidewell::helper
