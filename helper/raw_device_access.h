#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>

#include "device_policy.h"
#include "peer_credentials.h"
#include "platform/helper_protocol_channel.h"

namespace tidewell::helper {

struct RawDeviceSettings {
    std::filesystem::path deviceFolder = "/dev";
    std::filesystem::path mountTable = "/proc/self/mountinfo";
    DeviceFactSources facts;
    std::filesystem::path recordFile;  // empty: opened devices are recorded in the system log
};

// What the record of an opened device names besides the user and the device.
struct OpenedDevice {
    std::string label;  // the file system's or partition's label; empty when it has none
    std::int64_t sizeBytes = 0;
};

// An open, checked, read-only range of a partition that lies wholly inside it.
class RawDeviceRange {
public:
    RawDeviceRange(int descriptor, std::int64_t offset, std::int64_t length)
        : descriptor_(descriptor), offset_(offset), length_(length) {}
    ~RawDeviceRange();
    RawDeviceRange(RawDeviceRange&& other) noexcept;
    RawDeviceRange(const RawDeviceRange&) = delete;
    RawDeviceRange& operator=(const RawDeviceRange&) = delete;
    RawDeviceRange& operator=(RawDeviceRange&&) = delete;

    int descriptor() const { return descriptor_; }
    std::int64_t offset() const { return offset_; }
    std::int64_t length() const { return length_; }

    OpenedDevice device;

private:
    int descriptor_;
    std::int64_t offset_;
    std::int64_t length_;
};

// Opens the named partition read-only for the peer after every check (name,
// range, the device policy, mounted system file system, volume signature,
// size), or gives the reason it will not.
std::variant<RawDeviceRange, std::string> openRawDeviceRange(const RawDeviceSettings& settings,
                                                             const PeerCredentials& peer, const std::string& identifier,
                                                             std::int64_t offset, std::int64_t length);

}  // namespace tidewell::helper
