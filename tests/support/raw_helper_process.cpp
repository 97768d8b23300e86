#include "support/raw_helper_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "support/fake_block_devices.h"

extern char** environ;

namespace tidewell::testing {

namespace {

bool acceptsConnections(const std::filesystem::path& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool connected = ::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(descriptor);
    return connected;
}

}  // namespace

std::filesystem::path rawHelperExecutable() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tidewell-raw-helper";
}

RawHelperProcess::RawHelperProcess(const std::filesystem::path& socketPath, const std::filesystem::path& deviceFolder,
                                   const std::vector<std::string>& extraArguments) {
    std::vector<std::string> storage{rawHelperExecutable().string(), "--socket", socketPath.string(), "--device-dir",
                                     deviceFolder.string()};
    storage.insert(storage.end(), extraArguments.begin(), extraArguments.end());
    // Image files standing in for partitions need the kernel's word that they
    // are partitions of a removable drive; /dev has the real one.
    const bool describedHere =
        std::find(extraArguments.begin(), extraArguments.end(), "--sysfs-root") != extraArguments.end();
    if (deviceFolder != "/dev" && !describedHere) {
        const auto described = deviceFolder.parent_path() / (deviceFolder.filename().string() + "-kernel");
        std::filesystem::remove_all(described);
        FakeBlockDevices devices(described);
        describeAsUsbPartitions(devices, deviceFolder);
        storage.insert(storage.end(),
                       {"--sysfs-root", devices.sysfsRoot().string(), "--udev-data", devices.udevDataRoot().string()});
    }
    std::vector<char*> argv;
    for (auto& argument : storage) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + storage[0]);
    for (int attempt = 0; attempt < 200 && !acceptsConnections(socketPath); ++attempt) {
        if (!isRunning()) throw std::runtime_error("the raw helper exited at start");
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
}

RawHelperProcess::~RawHelperProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
}

bool RawHelperProcess::isRunning() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == 0) return true;
    pid_ = -1;
    return false;
}

}  // namespace tidewell::testing
