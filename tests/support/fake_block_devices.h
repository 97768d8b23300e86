#pragma once

#include <filesystem>
#include <string>

namespace tidewell::testing {

// Kernel folders of disks as sysfs shows them, for describing fake devices.
namespace KernelDisks {
inline constexpr const char* usb =
    "/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdz";
inline constexpr const char* sata = "/devices/pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda";
inline constexpr const char* nvme = "/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1";
}  // namespace KernelDisks

// A sysfs tree and a udev data folder in a temporary folder that describe
// block devices the way the kernel and udev do: class/block/NAME links into
// devices/..., with dev, partition, removable and loop/backing_file files.
class FakeBlockDevices {
public:
    explicit FakeBlockDevices(const std::filesystem::path& folder);

    // A partition NAME of the disk at diskKernelPath, numbered "major:minor".
    void addPartition(const std::string& name, const std::string& diskKernelPath, const std::string& numbers,
                      bool diskRemovable = false);
    // A loop device NAME attached to backingFile.
    void addLoop(const std::string& name, const std::string& numbers, const std::filesystem::path& backingFile);
    // A device-mapper device NAME.
    void addDeviceMapper(const std::string& name, const std::string& numbers);
    // udev's record of the device numbered "major:minor": "E:KEY=value" lines.
    void addUdevRecord(const std::string& numbers, const std::string& lines);

    std::filesystem::path sysfsRoot() const { return folder_ / "sys"; }
    std::filesystem::path udevDataRoot() const { return folder_ / "udev"; }

private:
    void addDevice(const std::string& name, const std::filesystem::path& kernelPath, const std::string& numbers);

    std::filesystem::path folder_;
};

// Describes every file or device node in deviceFolder as a partition of a USB
// disk, numbered from 4000:1 (block devices keep their own numbers).
void describeAsUsbPartitions(FakeBlockDevices& devices, const std::filesystem::path& deviceFolder);

}  // namespace tidewell::testing
