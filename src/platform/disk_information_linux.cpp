#include <string_view>

#include "platform/disk_information.h"
#include "platform/disk_information_sources.h"
#include "platform/lsblk_answer.h"

namespace tidewell::platform {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> sysfsDevicePath(const DiskInformationSources& sources, const std::string& deviceName) {
    std::error_code error;
    fs::path root = fs::canonical(sources.sysfsRoot, error);
    if (error) return std::nullopt;
    fs::path device = fs::canonical(root / "class" / "block" / deviceName, error);
    if (error) return std::nullopt;
    // Reported as under /sys whatever the root, so the text holds only sysfs names.
    return (fs::path("/sys") / device.lexically_relative(root)).string();
}

std::optional<std::string> probedFileSystemType(const DiskInformationSources& sources, const std::string& device,
                                                const DiskToolRunner& runTool) {
    auto output =
        runTool(sources.blkidExecutable, {"-p", "-o", "value", "-s", "TYPE", "/dev/" + device}, diskToolTimeout);
    if (!output) return std::nullopt;
    std::size_t start = output->find_first_not_of(" \t\r\n");
    if (start == std::string::npos) return std::nullopt;
    std::size_t end = output->find_first_of(" \t\r\n", start);
    return output->substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

std::optional<std::string> blockDeviceName(const MountInfoEntry& mount) {
    std::error_code error;
    if (mount.deviceMajor != 0) {
        fs::path target = fs::read_symlink(sysfsBlockDeviceLink(mount), error);
        if (!error && !target.filename().empty()) return target.filename().string();
    }
    if (mount.source.rfind("/dev/", 0) != 0) return std::nullopt;
    fs::path device = fs::canonical(mount.source, error);
    std::string name = (error ? fs::path(mount.source) : device).filename().string();
    if (name.empty()) return std::nullopt;
    return name;
}

DiskInfo diskInformation(const fs::path& path, const DiskToolRunner& runTool) {
    auto mount = mountContaining(currentMounts(), resolvedPath(path));
    if (!mount) return {};
    return diskInformation(*mount, runTool);
}

DiskInfo diskInformation(const MountInfoEntry& mount, const DiskToolRunner& runTool) {
    auto sources = diskInformationSources();
    auto device = blockDeviceName(mount);
    if (!device) return {};

    auto answer =
        runTool(sources.lsblkExecutable,
                {"--json", "--bytes", "--inverse", "--output", lsblkColumns, "/dev/" + *device}, diskToolTimeout);
    if (!answer) return {};
    LsblkContext context{*device, sysfsDevicePath(sources, *device), mount.isReadOnlyMount(), mount.fileSystemType};
    DiskInfo info = diskInfoFromLsblkAnswer(*answer, context);
    if (!info.empty() && !info.contains("FilesystemType")) {
        if (auto type = probedFileSystemType(sources, *device, runTool)) {
            info["FilesystemType"] = *type;
            info["FilesystemName"] = *type;
        }
    }
    return info;
}

}  // namespace tidewell::platform
