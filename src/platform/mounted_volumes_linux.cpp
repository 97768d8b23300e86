#include <sys/statvfs.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <string_view>

#include "platform/disk_information_sources.h"
#include "platform/mounted_volumes.h"

namespace tidewell::platform {

namespace fs = std::filesystem;

namespace {

constexpr std::array<std::string_view, 25> pseudoTypes{
    "proc",           "sysfs",  "devtmpfs",    "devpts",     "tmpfs",   "ramfs",    "cgroup",    "cgroup2",
    "securityfs",     "pstore", "bpf",         "debugfs",    "tracefs", "configfs", "fusectl",   "mqueue",
    "hugetlbfs",      "autofs", "binfmt_misc", "rpc_pipefs", "nsfs",    "efivarfs", "selinuxfs", "fuse.portal",
    "fuse.gvfsd-fuse"};

constexpr std::array<std::string_view, 16> networkTypes{
    "nfs", "nfs4",      "cifs",       "smb3",        "smbfs",     "ncpfs", "afs",    "ceph",
    "9p",  "glusterfs", "fuse.sshfs", "fuse.rclone", "fuse.s3fs", "davfs", "lustre", "fuse.glusterfs"};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& list, std::string_view value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

// The sysfs "removable" flag lives on the whole disk, not on its partitions.
std::optional<bool> removableFlag(const MountInfoEntry& mount) {
    if (mount.deviceMajor == 0) return std::nullopt;
    std::error_code error;
    fs::path device = fs::canonical(sysfsBlockDeviceLink(mount), error);
    if (error) return std::nullopt;
    if (fs::exists(device / "partition", error)) device = device.parent_path();
    std::ifstream file(device / "removable");
    char flag = 0;
    if (!(file >> flag)) return std::nullopt;
    return flag == '1';
}

}  // namespace

bool isPseudoFileSystem(const MountInfoEntry& mount) {
    return contains(pseudoTypes, mount.fileSystemType);
}

bool isNetworkFileSystem(const MountInfoEntry& mount) {
    if (contains(networkTypes, mount.fileSystemType)) return true;
    const std::string& source = mount.source;
    return source.rfind("//", 0) == 0 || (source.find(":/") != std::string::npos && source.front() != '/');
}

bool isHiddenMountPoint(const std::string& mountPoint) {
    if (mountPoint.find("/.") != std::string::npos) return true;
    for (std::string_view system : {"/proc", "/sys", "/dev"})
        if (mountPoint == system || mountPoint.rfind(std::string(system) + "/", 0) == 0) return true;
    return false;
}

std::vector<fs::path> mountedVolumeURLs() {
    return mountedVolumeURLs(currentMounts());
}

std::vector<fs::path> mountedVolumeURLs(const std::vector<MountInfoEntry>& mounts) {
    std::vector<fs::path> urls;
    for (const auto& mount : mounts) {
        if (isPseudoFileSystem(mount) || isHiddenMountPoint(mount.mountPoint)) continue;
        fs::path url(mount.mountPoint);
        // A volume mounted twice (bind mounts) is listed once.
        if (std::find(urls.begin(), urls.end(), url) == urls.end()) urls.push_back(url);
    }
    return urls;
}

std::optional<VolumeResourceValues> volumeResourceValues(const fs::path& path) {
    return volumeResourceValues(path, mountContaining(currentMounts(), resolvedPath(path)));
}

std::optional<VolumeResourceValues> volumeResourceValues(const fs::path& path,
                                                         const std::optional<MountInfoEntry>& mount) {
    struct statvfs facts {};
    if (::statvfs(path.c_str(), &facts) != 0) return std::nullopt;

    VolumeResourceValues values;
    auto blockSize = static_cast<std::int64_t>(facts.f_frsize ? facts.f_frsize : facts.f_bsize);
    values.volumeTotalCapacity = static_cast<std::int64_t>(facts.f_blocks) * blockSize;
    values.volumeAvailableCapacity = static_cast<std::int64_t>(facts.f_bavail) * blockSize;
    values.volumeIsReadOnly = (facts.f_flag & ST_RDONLY) != 0;
    if (mount) {
        if (mount->mountPoint != "/") values.volumeName = fs::path(mount->mountPoint).filename().string();
        values.volumeIsLocal = !isPseudoFileSystem(*mount) && !isNetworkFileSystem(*mount);
        values.volumeIsRemovable = removableFlag(*mount);
    }
    return values;
}

}  // namespace tidewell::platform
