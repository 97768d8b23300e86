#include "platform/disk_info_dictionary.h"

namespace tidewell::platform {

namespace {

template <typename Value>
std::optional<Value> typedValue(const DiskInfo& info, const std::string& key) {
    auto found = info.find(key);
    if (found == info.end()) return std::nullopt;
    if (const auto* value = std::get_if<Value>(&found->second)) return *value;
    return std::nullopt;
}

}  // namespace

std::optional<bool> diskInfoBool(const DiskInfo& info, const std::string& key) {
    return typedValue<bool>(info, key);
}

std::optional<std::int64_t> diskInfoNumber(const DiskInfo& info, const std::string& key) {
    return typedValue<std::int64_t>(info, key);
}

std::optional<std::string> diskInfoString(const DiskInfo& info, const std::string& key) {
    return typedValue<std::string>(info, key);
}

}  // namespace tidewell::platform
