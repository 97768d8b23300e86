#include "platform/lsblk_answer.h"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>

#include "util/json_members.h"

namespace tidewell::platform {

namespace {

using Json = nlohmann::json;

// Stacked devices (a partition on a disk under LUKS on RAID) are rarely more
// than four deep; a longer chain in an answer is not followed further.
constexpr std::size_t maximumDeviceChainLength = 16;

// Older lsblk releases print every value as a string ("1", "8053063680");
// newer ones print booleans and numbers. Both are read.
std::optional<std::string> textValue(const Json& device, const char* key) {
    auto found = device.find(key);
    if (found == device.end() || !found->is_string()) return std::nullopt;
    auto text = found->get<std::string>();
    if (text.empty()) return std::nullopt;
    return text;
}

std::optional<std::int64_t> numberValue(const Json& device, const char* key) {
    auto found = device.find(key);
    if (found == device.end()) return std::nullopt;
    // Unsigned numbers also count as integers; jsonInt64 refuses those beyond int64 instead
    // of letting them wrap negative.
    if (found->is_number_integer()) return jsonInt64(*found);
    if (!found->is_string()) return std::nullopt;
    const auto& text = found->get_ref<const std::string&>();
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<bool> flagValue(const Json& device, const char* key) {
    auto found = device.find(key);
    if (found == device.end()) return std::nullopt;
    if (found->is_boolean()) return found->get<bool>();
    if (auto number = numberValue(device, key)) return *number != 0;
    if (found->is_string()) {
        const auto& text = found->get_ref<const std::string&>();
        if (text == "true") return true;
        if (text == "false") return false;
    }
    return std::nullopt;
}

bool describes(const Json& device, const std::string& name) {
    return textValue(device, "kname") == name || textValue(device, "name") == name;
}

// The device, then the devices below it, following the first child at each level.
std::vector<const Json*> deviceChain(const Json& answer, const std::string& deviceName) {
    std::vector<const Json*> chain;
    auto devices = answer.find("blockdevices");
    if (devices == answer.end() || !devices->is_array()) return chain;
    for (const auto& device : *devices) {
        if (!device.is_object() || !describes(device, deviceName)) continue;
        const Json* current = &device;
        while (current != nullptr && chain.size() < maximumDeviceChainLength) {
            chain.push_back(current);
            auto children = current->find("children");
            bool hasChild = children != current->end() && children->is_array() && !children->empty() &&
                            children->front().is_object();
            current = hasChild ? &children->front() : nullptr;
        }
        break;
    }
    return chain;
}

// True when any device of the chain says true; false when some say false and none true.
std::optional<bool> anyFlag(const std::vector<const Json*>& chain, const char* key) {
    std::optional<bool> result;
    for (const Json* device : chain)
        if (auto flag = flagValue(*device, key)) result = result.value_or(false) || *flag;
    return result;
}

std::optional<std::string> firstText(const std::vector<const Json*>& chain, const char* key) {
    for (const Json* device : chain)
        if (auto text = textValue(*device, key)) return text;
    return std::nullopt;
}

bool namesFuseFileSystem(const std::string& type) {
    return type == "fuse" || type == "fuseblk" || type.rfind("fuse.", 0) == 0;
}

void fillFileSystem(DiskInfo& info, const Json& device, const LsblkContext& context) {
    auto type = textValue(device, "fstype");
    // lsblk takes the type from udev's database, which containers often lack;
    // the kernel's own mount type is the next best witness.
    if (!type && !context.mountFileSystemType.empty() && !namesFuseFileSystem(context.mountFileSystemType))
        type = context.mountFileSystemType;
    if (!type) return;
    info["FilesystemType"] = *type;
    auto version = textValue(device, "fsver");
    info["FilesystemName"] = version ? *type + " " + *version : *type;
}

void fillDevice(DiskInfo& info, const std::vector<const Json*>& chain, const LsblkContext& context) {
    const Json& device = *chain.front();
    info["DeviceIdentifier"] = textValue(device, "kname").value_or(context.deviceName);
    if (auto label = textValue(device, "label")) info["VolumeName"] = *label;
    if (auto size = numberValue(device, "size")) info["TotalSize"] = *size;
    if (auto available = numberValue(device, "fsavail")) info["VolumeFreeSpace"] = *available;
    if (auto removable = anyFlag(chain, "rm")) info["RemovableMedia"] = *removable;
    if (auto hotplug = anyFlag(chain, "hotplug")) {
        info["Ejectable"] = *hotplug;
        info["DeviceLocation"] = std::string(*hotplug ? "External" : "Internal");
    }
    if (auto transport = firstText(chain, "tran")) info["BusProtocol"] = *transport;
    info["ReadOnlyVolume"] = flagValue(device, "ro").value_or(false) || context.mountIsReadOnly;
}

std::vector<std::string> chainNames(const std::vector<const Json*>& chain) {
    std::vector<std::string> names;
    for (const Json* device : chain) {
        if (auto name = textValue(*device, "kname")) names.push_back(*name);
        if (auto name = textValue(*device, "name")) names.push_back(*name);
    }
    return names;
}

}  // namespace

DiskInfo diskInfoFromLsblkAnswer(std::string_view json, const LsblkContext& context) {
    Json answer = Json::parse(json, nullptr, false);
    if (answer.is_discarded() || !answer.is_object()) return {};
    auto chain = deviceChain(answer, context.deviceName);
    if (chain.empty()) return {};

    DiskInfo info;
    fillDevice(info, chain, context);
    fillFileSystem(info, *chain.front(), context);
    auto names = chainNames(chain);
    names.push_back(context.deviceName);
    if (context.sysfsDevicePath)
        if (auto treePath = deviceTreePath(*context.sysfsDevicePath, names)) info["DeviceTreePath"] = *treePath;
    return info;
}

std::optional<std::string> deviceTreePath(std::string_view sysfsDevicePath,
                                          const std::vector<std::string>& blockDeviceNames) {
    std::string path(sysfsDevicePath);
    while (!path.empty() && path.back() == '/') path.pop_back();
    while (!path.empty()) {
        std::size_t slash = path.rfind('/');
        std::string_view last = std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
        bool isDeviceName = std::find(blockDeviceNames.begin(), blockDeviceNames.end(), last) != blockDeviceNames.end();
        if (!isDeviceName && last != "block") break;
        path.erase(slash == std::string::npos ? 0 : slash);
    }
    if (path.empty()) return std::nullopt;
    return path;
}

}  // namespace tidewell::platform
