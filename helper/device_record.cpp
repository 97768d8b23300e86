#include "device_record.h"

#include <syslog.h>

#include <fstream>
#include <mutex>

namespace tidewell::helper {

std::string openedDeviceRecord(uid_t user, const std::string& identifier, const OpenedDevice& device) {
    const std::string label = device.label.empty() ? "no label" : "label \"" + device.label + "\"";
    return "user " + std::to_string(user) + " opened " + identifier + " read-only (" + label + ", " +
           std::to_string(device.sizeBytes) + " bytes)";
}

void recordOpenedDevice(const std::filesystem::path& recordFile, uid_t user, const std::string& identifier,
                        const OpenedDevice& device) {
    static std::mutex writing;
    const std::lock_guard lock(writing);
    const std::string record = openedDeviceRecord(user, identifier, device);
    if (!recordFile.empty()) {
        std::ofstream(recordFile, std::ios::app) << record << "\n";
        return;
    }
    ::openlog("tidewell-raw-helper", LOG_PID, LOG_AUTHPRIV);
    ::syslog(LOG_NOTICE, "%s", record.c_str());
}

}  // namespace tidewell::helper
