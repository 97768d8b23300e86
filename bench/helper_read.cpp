// Reads a 256 MiB image in 4 MiB chunks through the privileged helper (one
// connection per read, as the engines do) and with plain pread in the same
// run, and prints the ratio of the two times. Target: at most 1.3.
//   bench_helper_read [folder for the image, default the temporary folder]
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>

#include "recovery/deleted/privileged_device_read.h"
#include "recovery/deleted/privileged_disk_reader.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t imageSize = 256ll << 20;
constexpr std::int64_t chunkSize = 4ll << 20;
constexpr int rounds = 5;

void makeImage(const fs::path& path) {
    int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<std::uint8_t> chunk(chunkSize);
    for (std::int64_t offset = 0; offset < imageSize; offset += chunkSize) {
        for (std::size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<std::uint8_t>((offset + i) * 31 >> 9);
        if (::pwrite(descriptor, chunk.data(), chunk.size(), offset) != chunkSize) std::exit(1);
    }
    ::fsync(descriptor);
    ::close(descriptor);
}

double plainPass(const fs::path& image) {
    auto start = std::chrono::steady_clock::now();
    int descriptor = ::open(image.c_str(), O_RDONLY);
    for (std::int64_t offset = 0; offset < imageSize; offset += chunkSize) {
        std::vector<std::uint8_t> data(chunkSize);  // a fresh buffer per read, as the helper path returns
        if (::pread(descriptor, data.data(), data.size(), offset) != chunkSize) std::exit(1);
    }
    ::close(descriptor);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double helperPass() {
    auto start = std::chrono::steady_clock::now();
    for (std::int64_t offset = 0; offset < imageSize; offset += chunkSize)
        if (tidewell::PrivilegedDeviceRead::read("sdz1", offset, chunkSize).size() != chunkSize) std::exit(1);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void dropCachedPages(const fs::path& image) {
    int descriptor = ::open(image.c_str(), O_RDONLY);
    ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_DONTNEED);
    ::close(descriptor);
}

// The best of several passes of each, alternated so that both see the same machine.
void compare(const char* label, const fs::path& image, const std::function<void()>& before) {
    double plain = 1e9, helper = 1e9;
    for (int round = 0; round < rounds; ++round) {
        before();
        plain = std::min(plain, plainPass(image));
        before();
        helper = std::min(helper, helperPass());
    }
    std::printf("%s: pread %.1f ms, helper %.1f ms, ratio %.2f\n", label, plain * 1000, helper * 1000, helper / plain);
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder = (argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path()) / "tidewell-bench-helper";
    fs::create_directories(folder / "dev");
    const fs::path image = folder / "dev/sdz1";
    const fs::path socket = folder / "helper.sock";
    makeImage(image);
    std::string helperPath = (fs::read_symlink("/proc/self/exe").parent_path() / "tidewell-raw-helper").string();
    std::vector<std::string> storage{helperPath, "--socket", socket.string(), "--device-dir",
                                     (folder / "dev").string()};
    std::vector<char*> arguments;
    for (auto& argument : storage) arguments.push_back(argument.data());
    arguments.push_back(nullptr);
    pid_t helper = 0;
    if (::posix_spawn(&helper, arguments[0], nullptr, nullptr, arguments.data(), environ) != 0) return 1;
    ::setenv("TIDEWELL_HELPER_SOCKET", socket.c_str(), 1);
    ::setenv("TIDEWELL_PKEXEC", "/nonexistent", 1);
    while (!tidewell::PrivilegedDiskReader::installedHelperIsReachable())
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    compare("page cache", image, [] {});
    compare("cold (pages dropped before each pass)", image, [&] { dropCachedPages(image); });
    ::kill(helper, SIGTERM);
    ::waitpid(helper, nullptr, 0);
    fs::remove_all(folder);
    return 0;
}
