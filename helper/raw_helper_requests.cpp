#include "raw_helper_requests.h"

#include <sys/stat.h>

#include "platform/helper_protocol.h"
#include "raw_range_stream.h"

namespace tidewell::helper {

namespace {

using namespace platform;

constexpr const char* notSupported = "Not supported.";
constexpr const char* undecodable = "The read-only recovery helper could not decode the request.";

bool readRawBytes(int connection, const HelperArchive& request, const RawDeviceSettings& settings,
                  HelperDeadline deadline) {
    auto decoded = decodeHelperObject<TWHelperRawReadRequest>(request);
    if (!decoded) return sendHelperArchive(connection, encodeHelperError(request.operation, undecodable), deadline);
    auto range = openRawDeviceRange(settings, decoded->deviceIdentifier, decoded->offset, decoded->length);
    if (auto message = std::get_if<std::string>(&range))
        return sendHelperArchive(connection, encodeHelperError(request.operation, *message), deadline);
    return streamRawRange(connection, request.operation, std::get<RawDeviceRange>(range), deadline);
}

HelperArchive readMetadata(const HelperArchive& request) {
    auto decoded = decodeHelperObject<TWHelperPathRequest>(request);
    if (!decoded) return encodeHelperError(request.operation, undecodable);
    struct stat status {};
    if (decoded->path.empty() || ::lstat(decoded->path.c_str(), &status) != 0)
        return encodeHelperError(request.operation, "Nothing exists at " + decoded->path + ".");
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

HelperArchive answerOther(const HelperArchive& request) {
    const std::string& operation = request.operation;
    if (operation == HelperOperation::readMetadata) return readMetadata(request);
    if (operation == HelperOperation::verifyOwnership) return verifyOwnership(request);
    if (operation == HelperOperation::moveLaunchItemToTrash || operation == HelperOperation::stopLaunchDaemon ||
        operation == HelperOperation::movePrivilegedHelperToTrash)
        return planOperation(request);
    return encodeHelperError(operation, "The read-only recovery helper does not know this operation.");
}

}  // namespace

bool answerHelperRequest(int connection, const HelperArchive& request, const RawDeviceSettings& settings,
                         HelperDeadline deadline) {
    if (request.operation == HelperOperation::readRawBytes)
        return readRawBytes(connection, request, settings, deadline);
    return sendHelperArchive(connection, answerOther(request), deadline);
}

}  // namespace tidewell::helper
