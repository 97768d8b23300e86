#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "raw_device_access.h"

namespace tidewell::helper {

// One line naming who opened which device: "user 1000 opened sdb1 read-only
// (label "CARD", 15931539456 bytes)".
std::string openedDeviceRecord(uid_t user, const std::string& identifier, const OpenedDevice& device);

// Writes the record to the system log (journald keeps syslog messages), or
// appends it to recordFile when one is set.
void recordOpenedDevice(const std::filesystem::path& recordFile, uid_t user, const std::string& identifier,
                        const OpenedDevice& device);

}  // namespace tidewell::helper
