#include "deleted_card_server.h"

#include <QByteArray>
#include <chrono>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "card_image.h"
#include "process/child_process.h"
#include "recovery/deleted/privileged_disk_reader.h"

namespace tidewell::screenshots {

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

void setEnvironment(const char* name, const fs::path& value) {
    qputenv(name, QByteArray::fromStdString(value.string()));
}

fs::path helperBesideThisExecutable() {
    return fs::read_symlink("/proc/self/exe").parent_path() / "tidewell-raw-helper";
}

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

// The helper reads only what the kernel calls a partition of a removable drive:
// a sysfs tree that says so of the sample card, numbered where no real device is.
fs::path describeAsUsbPartition(const fs::path& folder, const std::string& deviceIdentifier) {
    const fs::path sysfs = folder / "Kernel";
    const fs::path disk = "devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdz";
    writeText(sysfs / disk / deviceIdentifier / "dev", "4000:1\n");
    writeText(sysfs / disk / deviceIdentifier / "partition", "1\n");
    fs::create_directories(sysfs / "class/block");
    fs::remove(sysfs / "class/block" / deviceIdentifier);
    fs::create_symlink(fs::path("../..") / disk / deviceIdentifier, sysfs / "class/block" / deviceIdentifier);
    return sysfs;
}

}  // namespace

DeletedCardServer::DeletedCardServer(const fs::path& folder, const std::string& deviceIdentifier) {
    try {
        if (!fs::exists(helperBesideThisExecutable()))
            throw std::runtime_error(helperBesideThisExecutable().string() + " was not found");
        writeDeletedCardImage(folder / "Devices" / deviceIdentifier, folder / "Card Files");
        startHelper(folder / "helper.sock", folder / "Devices", describeAsUsbPartition(folder, deviceIdentifier));
    } catch (const std::exception& error) {
        unavailableReason_ = error.what();
        helper_.reset();
    }
}

DeletedCardServer::~DeletedCardServer() {
    if (helper_) helper_->terminateAndReap(2s);
}

void DeletedCardServer::startHelper(const fs::path& socket, const fs::path& devices, const fs::path& sysfs) {
    // The model reads through this socket; a missing authorization tool keeps any
    // administrator prompt away should the helper stop answering.
    setEnvironment("TIDEWELL_HELPER_SOCKET", socket);
    setEnvironment("TIDEWELL_PKEXEC", socket.parent_path() / "no-pkexec");
    // Output goes to /dev/null, so a helper outliving a crashed run holds no caller's pipe open.
    helper_ =
        ChildProcess::spawn({.executable = helperBesideThisExecutable().string(),
                             .arguments = {"--socket", socket.string(), "--device-dir", devices.string(),
                                           "--sysfs-root", sysfs.string(), "--udev-data", (sysfs / "udev").string(),
                                           "--record-file", (socket.parent_path() / "opened-devices.log").string()}});
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (PrivilegedDiskReader::installedHelperIsReachable()) return;
        if (helper_->waitForExit(25ms))
            throw std::runtime_error("tidewell-raw-helper exited at start (status " +
                                     std::to_string(helper_->status()) + ")");
    }
    throw std::runtime_error("tidewell-raw-helper did not answer on " + socket.string());
}

}  // namespace tidewell::screenshots
