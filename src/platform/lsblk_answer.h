#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/disk_info_dictionary.h"

namespace tidewell::platform {

// The output columns asked of lsblk; its answer lists the device first and,
// with --inverse, the devices it sits on (partition, then whole disk) as children.
inline constexpr const char* lsblkColumns = "NAME,KNAME,PKNAME,FSTYPE,FSVER,LABEL,SIZE,FSAVAIL,RM,HOTPLUG,TRAN,RO,TYPE";

// What is known about the device apart from lsblk's answer.
struct LsblkContext {
    std::string deviceName;                      // kernel name, such as sdb1
    std::optional<std::string> sysfsDevicePath;  // "/sys/devices/.../block/sdb/sdb1"
    bool mountIsReadOnly = false;
    std::string mountFileSystemType;  // from mountinfo: vfat, fuseblk ...
};

// Maps `lsblk --json --bytes --inverse` output onto the disk-utility keys.
// Empty when the text is not JSON or does not describe the device.
DiskInfo diskInfoFromLsblkAnswer(std::string_view json, const LsblkContext& context);

// The sysfs path of the device's parent: the device path with the trailing
// block-device components (the device, its whole disk) and "block" removed, so
// the text never ends in a name such as sda that the external test would read as
// "sd". None when nothing is left.
std::optional<std::string> deviceTreePath(std::string_view sysfsDevicePath,
                                          const std::vector<std::string>& blockDeviceNames);

}  // namespace tidewell::platform
