#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recovery/deleted/privileged_read_error.h"

// The only road from the engines and the application model to the privileged
// helper: every raw-device read passes these checks first.
namespace tidewell::PrivilegedDeviceRead {

// Exactly length bytes at offset of the partition named deviceIdentifier (a
// kernel partition name such as sdb1). Throws PrivilegedReadError.
std::vector<std::uint8_t> read(const std::string& deviceIdentifier, std::int64_t offset, std::int64_t length);

// Installs the helper now, so that an administrator prompt shows before a scan starts.
void prepareAdministratorAuthorization();

// A hook for the user interface; it has no effect.
void openAuthorizationSettings();

}  // namespace tidewell::PrivilegedDeviceRead
