// Images a 1 GiB read-only loop device through the privileged helper and copies
// the same device with `dd if=DEV of=FILE bs=4M` in the same run, from a cold
// cache each time, and prints both times and the ratio. Target: at most 1.15.
//
// Cold means the page cache is dropped (sync, then 3 into /proc/sys/vm/drop_caches)
// before each side, so both read the device from the disk under the loop file.
// O_DIRECT is not used: it would change how dd reads, and not how the helper does.
// The image is fsynced at its end, so dd is timed with conv=fsync as well (the
// same durability); the plain dd time is printed beside it.
//   bench_device_image [folder for the backing file and the copies, default the temporary folder]
// Needs root (losetup, drop_caches); the loop device is detached on every path.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "best_time.h"
#include "recovery/deleted/device_imaging.h"
#include "recovery/deleted/privileged_disk_reader.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t deviceSize = 1ll << 30;
constexpr int rounds = 5;

int runProgram(std::vector<std::string> arguments, pid_t* started = nullptr) {
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    if (started) {
        *started = pid;
        return 0;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string capture(const std::string& command) {
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe)) text += buffer;
        ::pclose(pipe);
    }
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

void writeBacking(const fs::path& path) {
    std::ofstream stream(path, std::ios::binary);
    std::vector<char> block(4 << 20);
    std::uint32_t state = 3;
    for (std::int64_t done = 0; done < deviceSize; done += std::int64_t(block.size())) {
        for (char& byte : block) byte = static_cast<char>((state = state * 1664525 + 1013904223) >> 24);
        stream.write(block.data(), std::streamsize(block.size()));
    }
}

bool dropCaches() {
    ::sync();
    std::ofstream control("/proc/sys/vm/drop_caches");
    control << "3\n";
    return bool(control.flush());
}

class LoopDevice {
public:
    explicit LoopDevice(const fs::path& backing) : path_(capture("losetup -f --show -r '" + backing.string() + "'")) {}
    ~LoopDevice() {
        if (!path_.empty()) runProgram({"losetup", "-d", path_});
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

class Helper {
public:
    explicit Helper(const fs::path& socket) {
        const std::string helper = (fs::read_symlink("/proc/self/exe").parent_path() / "tidewell-raw-helper").string();
        runProgram({helper, "--socket", socket.string(), "--device-dir", "/dev"}, &pid_);
        ::setenv("TIDEWELL_HELPER_SOCKET", socket.c_str(), 1);
        ::setenv("TIDEWELL_PKEXEC", "/nonexistent", 1);
        for (int attempt = 0; attempt < 200 && !tidewell::PrivilegedDiskReader::installedHelperIsReachable(); ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ~Helper() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }

private:
    pid_t pid_ = -1;
};

int benchmark(const fs::path& folder) {
    writeBacking(folder / "device.bin");
    LoopDevice loop(folder / "device.bin");
    if (loop.path().empty()) return std::fprintf(stderr, "losetup failed (root needed)\n"), 1;
    Helper helper(folder / "helper.sock");
    const fs::path copy = folder / "copy.img";
    const auto clear = [&] {
        fs::remove(copy);
        fs::remove(tidewell::DeviceImaging::mapPath(copy));
        if (!dropCaches()) std::fprintf(stderr, "could not drop the page cache (root needed)\n");
    };
    const std::string device = loop.path();
    const std::string name = fs::path(device).filename().string();
    bool failed = false;
    const auto image = [&] {
        failed |= !tidewell::DeviceImaging::imagePartition(name, name, std::nullopt, copy, false).isComplete();
    };
    const auto ddSynced = [&] {
        failed |= runProgram({"dd", "if=" + device, "of=" + copy.string(), "bs=4M", "conv=fsync", "status=none"}) != 0;
    };
    const auto ddPlain = [&] {
        failed |= runProgram({"dd", "if=" + device, "of=" + copy.string(), "bs=4M", "status=none"}) != 0;
    };
    const auto [tidewell, dd] = tidewell::bench::bestSecondsAlternating(image, ddSynced, rounds, clear);
    const double plain = tidewell::bench::bestSeconds(ddPlain, rounds, clear);
    clear();
    if (failed) return std::fprintf(stderr, "a copy failed\n"), 1;
    std::printf(
        "1 GiB loop device, cold cache: tidewell image %.0f ms, dd bs=4M conv=fsync %.0f ms, ratio %.2f "
        "(dd bs=4M without fsync %.0f ms, ratio %.2f)\n",
        tidewell * 1000, dd * 1000, tidewell / dd, plain * 1000, tidewell / plain);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = (argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path()) / "tidewell-bench-image";
    fs::create_directories(folder);
    int status = 1;
    try {
        status = benchmark(folder);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
    fs::remove_all(folder);
    return status;
}
