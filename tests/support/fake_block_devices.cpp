#include "support/fake_block_devices.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "support/temporary_folder.h"

namespace tidewell::testing {

namespace fs = std::filesystem;

FakeBlockDevices::FakeBlockDevices(const fs::path& folder) : folder_(folder) {
    fs::create_directories(sysfsRoot() / "class/block");
    fs::create_directories(udevDataRoot());
}

void FakeBlockDevices::addDevice(const std::string& name, const fs::path& kernelPath, const std::string& numbers) {
    const fs::path device = sysfsRoot() / kernelPath.relative_path();
    writeFile(device / "dev", numbers + "\n");
    // As in sysfs: class/block/NAME -> ../../devices/...
    fs::create_symlink(fs::path("../..") / kernelPath.relative_path(), sysfsRoot() / "class/block" / name);
}

void FakeBlockDevices::addPartition(const std::string& name, const std::string& diskKernelPath,
                                    const std::string& numbers, bool diskRemovable) {
    const fs::path disk = sysfsRoot() / fs::path(diskKernelPath).relative_path();
    if (!fs::exists(disk / "removable")) writeFile(disk / "removable", diskRemovable ? "1\n" : "0\n");
    addDevice(name, fs::path(diskKernelPath) / name, numbers);
    writeFile(disk / name / "partition", "1\n");
}

void FakeBlockDevices::addLoop(const std::string& name, const std::string& numbers, const fs::path& backingFile) {
    const fs::path kernelPath = fs::path("/devices/virtual/block") / name;
    addDevice(name, kernelPath, numbers);
    writeFile(sysfsRoot() / kernelPath.relative_path() / "removable", "0\n");
    writeFile(sysfsRoot() / kernelPath.relative_path() / "loop/backing_file", backingFile.string() + "\n");
}

void FakeBlockDevices::addDeviceMapper(const std::string& name, const std::string& numbers) {
    const fs::path kernelPath = fs::path("/devices/virtual/block") / name;
    addDevice(name, kernelPath, numbers);
    writeFile(sysfsRoot() / kernelPath.relative_path() / "dm/name", "secret\n");
}

void FakeBlockDevices::addUdevRecord(const std::string& numbers, const std::string& lines) {
    writeFile(udevDataRoot() / ("b" + numbers), lines);
}

void describeAsUsbPartitions(FakeBlockDevices& devices, const fs::path& deviceFolder) {
    int next = 1;
    for (const auto& entry : fs::directory_iterator(deviceFolder)) {
        struct stat status {};
        if (::lstat(entry.path().c_str(), &status) != 0) continue;
        const std::string numbers = S_ISBLK(status.st_mode) ? std::to_string(major(status.st_rdev)) + ":" +
                                                                  std::to_string(minor(status.st_rdev))
                                                            : "4000:" + std::to_string(next++);
        devices.addPartition(entry.path().filename().string(), KernelDisks::usb, numbers);
    }
}

}  // namespace tidewell::testing
