#include "recovery/deleted/privileged_device_reader.h"

#include "recovery/deleted/privileged_device_read.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell {

// Every read goes through the one raw-device road; its errors reach the
// engines as their own error with the same case and message.
std::vector<std::uint8_t> PrivilegedDeviceReader::read(std::int64_t offset, std::size_t length) const {
    using DeletedRecovery::RecoveryError;
    try {
        return PrivilegedDeviceRead::read(deviceIdentifier_, offset, static_cast<std::int64_t>(length));
    } catch (const PrivilegedReadError& error) {
        if (error.errorCase() == PrivilegedReadError::Case::unavailableSource)
            throw RecoveryError::unavailableSource(error.what());
        throw RecoveryError::administratorAuthorizationFailed(error.what());
    }
}

}  // namespace tidewell
