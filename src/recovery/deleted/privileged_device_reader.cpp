#include "recovery/deleted/privileged_device_reader.h"

#include "recovery/deleted/recovery_error.h"

namespace tidewell {

// The helper connection is not part of this build yet: every raw-device read
// fails the way an unreachable helper does, so nothing pretends to have read.
std::vector<std::uint8_t> PrivilegedDeviceReader::read(std::int64_t, std::size_t) const {
    throw FATDeletedRecoveryEngine::RecoveryError::administratorAuthorizationFailed(
        "The privileged recovery reader could not be reached.");
}

}  // namespace tidewell
