#include "recovery/deleted/privileged_device_read.h"

#include "platform/raw_partition_identifier.h"
#include "recovery/deleted/privileged_disk_reader.h"

namespace tidewell::PrivilegedDeviceRead {

std::vector<std::uint8_t> read(const std::string& deviceIdentifier, std::int64_t offset, std::int64_t length) {
    using Case = PrivilegedReadError::Case;
    if (!platform::isRawPartitionIdentifier(deviceIdentifier))
        throw PrivilegedReadError(Case::unavailableSource, "Tidewell refused an unexpected raw-device identifier.");
    if (offset < 0 || length < 1) throw PrivilegedReadError(Case::unavailableSource, "Invalid raw-device read range.");
    try {
        return PrivilegedDiskReader::read(deviceIdentifier, offset, length);
    } catch (const std::exception& error) {
        throw PrivilegedReadError(Case::administratorAuthorizationFailed, error.what());
    }
}

void prepareAdministratorAuthorization() {
    PrivilegedDiskReader::installIfNeeded();
}

void openAuthorizationSettings() {
    PrivilegedDiskReader::openAuthorizationSettings();
}

}  // namespace tidewell::PrivilegedDeviceRead
