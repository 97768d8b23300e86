#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>

#include "platform/helper_protocol_channel.h"

namespace tidewell::helper {

struct RawDeviceSettings {
    std::filesystem::path deviceFolder;
    std::filesystem::path mountTable;
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

private:
    int descriptor_;
    std::int64_t offset_;
    std::int64_t length_;
};

// Opens the named partition read-only after every check (name, range, whole
// disk, mounted system file system, size), or gives the reason it will not.
std::variant<RawDeviceRange, std::string> openRawDeviceRange(const RawDeviceSettings& settings,
                                                             const std::string& identifier, std::int64_t offset,
                                                             std::int64_t length);

}  // namespace tidewell::helper
