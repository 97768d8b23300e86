#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <variant>

#include "platform/helper_protocol_archive.h"

namespace tidewell::helper {

struct RawDeviceSettings {
    std::filesystem::path deviceFolder;
    std::filesystem::path mountTable;
};

// Exactly length bytes at offset of the named partition, or the reason why not.
// The partition is opened read-only; nothing here writes.
using RawDeviceReadOutcome = std::variant<platform::HelperBytes, std::string>;

RawDeviceReadOutcome readRawDevice(const RawDeviceSettings& settings, const std::string& identifier,
                                   std::int64_t offset, std::int64_t length);

}  // namespace tidewell::helper
