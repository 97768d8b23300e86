#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace tidewell::platform {

// The disk facts of one volume under the disk utility's keys ("DeviceIdentifier",
// "FilesystemType", "RemovableMedia", ...). A key whose value has another type
// than the reader expects counts as absent.
using DiskInfoValue = std::variant<bool, std::int64_t, std::string>;
using DiskInfo = std::map<std::string, DiskInfoValue>;

std::optional<bool> diskInfoBool(const DiskInfo& info, const std::string& key);
std::optional<std::int64_t> diskInfoNumber(const DiskInfo& info, const std::string& key);
std::optional<std::string> diskInfoString(const DiskInfo& info, const std::string& key);

}  // namespace tidewell::platform
