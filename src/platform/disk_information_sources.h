#pragma once

#include <filesystem>
#include <string>

#include "platform/mount_info.h"

namespace tidewell::platform {

// Where the disk-information service looks for its facts. Tests point these
// at recorded answers (a script standing in for lsblk, a mountinfo copy and a
// folder shaped like sysfs).
struct DiskInformationSources {
    std::string lsblkExecutable = "/usr/bin/lsblk";
    std::string blkidExecutable = "/usr/sbin/blkid";
    std::filesystem::path mountInfoFile = "/proc/self/mountinfo";
    std::filesystem::path sysfsRoot = "/sys";

    bool operator==(const DiskInformationSources&) const = default;
};

DiskInformationSources diskInformationSources();
void setDiskInformationSources(const DiskInformationSources& sources);

// "<sysfs root>/dev/block/major:minor", the link to the mount's block device in sysfs.
std::filesystem::path sysfsBlockDeviceLink(const MountInfoEntry& mount);

// Installs sources for the life of the object, restoring the previous ones after.
class ScopedDiskInformationSources {
public:
    explicit ScopedDiskInformationSources(const DiskInformationSources& sources);
    ~ScopedDiskInformationSources();
    ScopedDiskInformationSources(const ScopedDiskInformationSources&) = delete;
    ScopedDiskInformationSources& operator=(const ScopedDiskInformationSources&) = delete;

private:
    DiskInformationSources previous_;
};

}  // namespace tidewell::platform
