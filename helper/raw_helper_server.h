#pragma once

#include <sys/types.h>

#include <filesystem>

#include "raw_device_access.h"

namespace tidewell::helper {

struct RawHelperServerSettings {
    std::filesystem::path socketPath;
    RawDeviceSettings device;
    uid_t allowedUID = 0;
};

namespace ServerLimits {
inline constexpr int maxConnections = 8;
inline constexpr int idleSeconds = 30;
}  // namespace ServerLimits

// Listens (or takes the socket handed over by the service manager) and answers
// requests until killed. Returns an exit status when it cannot listen.
int runRawHelperServer(const RawHelperServerSettings& settings);

}  // namespace tidewell::helper
