#include <algorithm>
#include <cctype>

#include "platform/disk_information.h"
#include "process/command_runner.h"
#include "recovery/readable/external_recovery_engine.h"
#include "recovery/readable/localized_name_order.h"
#include "util/unicode_text.h"

namespace tidewell {

namespace fs = std::filesystem;
using platform::diskInfoBool;
using platform::diskInfoNumber;
using platform::diskInfoString;

namespace {

bool isBlank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isspace(c); });
}

bool isDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

std::string volumeName(const fs::path& url, const platform::VolumeResourceValues& values,
                       const platform::DiskInfo& info) {
    if (values.volumeName && !isBlank(*values.volumeName)) return *values.volumeName;
    if (auto name = diskInfoString(info, "VolumeName")) return *name;
    return url.filename().string();
}

// Disk tools run through the command runner, without a working directory,
// input or token; a tool that cannot start, times out or fails gives none.
std::optional<std::string> runDiskTool(const std::string& executable, const std::vector<std::string>& arguments,
                                       double timeout) {
    try {
        CommandOutput output = CommandRunner::run(executable, arguments, std::nullopt, std::nullopt, nullptr, timeout);
        if (output.status != 0) return std::nullopt;
        return output.stdoutText;
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace

platform::DiskInfo ExternalRecoveryEngine::diskInfo(const fs::path& url) {
    return platform::diskInformation(url, runDiskTool);
}

bool ExternalRecoveryEngine::isExternalVolume(const platform::VolumeResourceValues& values,
                                              const platform::DiskInfo& info) {
    if (values.volumeIsRemovable.value_or(false)) return true;
    if (diskInfoBool(info, "Ejectable").value_or(false)) return true;
    if (diskInfoBool(info, "RemovableMedia").value_or(false)) return true;
    if (auto location = diskInfoString(info, "DeviceLocation"))
        if (containsIgnoringCase(*location, "external")) return true;

    std::string joined;
    for (const char* key : {"BusProtocol", "Protocol", "DeviceTreePath"}) {
        auto text = diskInfoString(info, key);
        if (!text) continue;
        if (!joined.empty()) joined += ' ';
        joined += *text;
    }
    joined = lowercased(joined);
    for (const char* word : {"usb", "sd", "thunderbolt", "firewire"})
        if (joined.find(word) != std::string::npos) return true;
    return false;
}

ExternalRecoveryVolume ExternalRecoveryEngine::makeVolume(const fs::path& url,
                                                          const platform::VolumeResourceValues& values,
                                                          const std::optional<platform::DiskInfo>& givenInfo,
                                                          bool manuallySelected) {
    const platform::DiskInfo info = givenInfo ? *givenInfo : diskInfo(url);
    ExternalRecoveryVolume volume;
    volume.mountURL = standardizedPath(url);
    volume.name = volumeName(volume.mountURL, values, info);
    volume.deviceIdentifier = diskInfoString(info, "DeviceIdentifier");
    volume.fileSystem = diskInfoString(info, "FilesystemType")
                            .value_or(diskInfoString(info, "FilesystemName").value_or("Mounted volume"));
    volume.totalBytes = diskInfoNumber(info, "TotalSize").value_or(values.volumeTotalCapacity.value_or(0));
    volume.availableBytes =
        diskInfoNumber(info, "VolumeFreeSpace").value_or(values.volumeAvailableCapacity.value_or(0));
    // A picked folder about which nothing is known counts as removable.
    volume.isRemovable =
        diskInfoBool(info, "RemovableMedia").value_or(values.volumeIsRemovable.value_or(manuallySelected));
    volume.isReadOnly = diskInfoBool(info, "ReadOnlyVolume").value_or(values.volumeIsReadOnly.value_or(false));
    volume.id = volume.mountURL.string() + "#" + volume.deviceIdentifier.value_or("manual");
    volume.isManuallySelected = manuallySelected;
    return volume;
}

std::vector<ExternalRecoveryVolume> ExternalRecoveryEngine::mountedExternalVolumes() {
    std::vector<ExternalRecoveryVolume> volumes;
    // One reading of the mount table serves the list and every volume's details.
    const auto mounts = platform::currentMounts();
    for (const auto& url : platform::mountedVolumeURLs(mounts)) {
        const auto mount = platform::mountContaining(mounts, platform::resolvedPath(url));
        auto values = platform::volumeResourceValues(url, mount);
        if (!values || !values->volumeIsLocal.value_or(false)) continue;
        auto info = mount ? platform::diskInformation(*mount, runDiskTool) : platform::DiskInfo{};
        if (!isExternalVolume(*values, info)) continue;
        volumes.push_back(makeVolume(url, *values, info, false));
    }
    std::stable_sort(volumes.begin(), volumes.end(), [](const auto& left, const auto& right) {
        return localizedCaseInsensitiveLess(left.name, right.name);
    });
    return volumes;
}

ExternalRecoveryVolume ExternalRecoveryEngine::manuallySelectedVolume(const fs::path& url) {
    if (!isDirectory(url)) throw RecoveryError::sourceUnavailable("Choose a mounted folder or drive, not a file.");
    auto values = platform::volumeResourceValues(url).value_or(platform::VolumeResourceValues{});
    return makeVolume(url, values, std::nullopt, true);
}

std::optional<ExternalRecoveryVolume> ExternalRecoveryEngine::refreshedVolume(const ExternalRecoveryVolume& volume) {
    fs::path url = standardizedPath(volume.mountURL);
    if (!isDirectory(url)) return std::nullopt;
    auto values = platform::volumeResourceValues(url).value_or(platform::VolumeResourceValues{});
    return makeVolume(url, values, std::nullopt, volume.isManuallySelected);
}

}  // namespace tidewell
