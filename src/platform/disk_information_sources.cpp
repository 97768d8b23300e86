#include "platform/disk_information_sources.h"

#include <mutex>

namespace tidewell::platform {

namespace {

std::mutex& sourcesMutex() {
    static std::mutex mutex;
    return mutex;
}

DiskInformationSources& installedSources() {
    static DiskInformationSources sources;
    return sources;
}

}  // namespace

DiskInformationSources diskInformationSources() {
    std::lock_guard lock(sourcesMutex());
    return installedSources();
}

void setDiskInformationSources(const DiskInformationSources& sources) {
    std::lock_guard lock(sourcesMutex());
    installedSources() = sources;
}

std::filesystem::path sysfsBlockDeviceLink(const MountInfoEntry& mount) {
    return diskInformationSources().sysfsRoot / "dev" / "block" /
           (std::to_string(mount.deviceMajor) + ":" + std::to_string(mount.deviceMinor));
}

ScopedDiskInformationSources::ScopedDiskInformationSources(const DiskInformationSources& sources)
    : previous_(diskInformationSources()) {
    setDiskInformationSources(sources);
}

ScopedDiskInformationSources::~ScopedDiskInformationSources() {
    setDiskInformationSources(previous_);
}

}  // namespace tidewell::platform
