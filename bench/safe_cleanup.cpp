// Times the safe cleanup scan against `du -s` of the same cache folder of
// 200,000 files and prints the ratio (target: at most 1.2). The folder is
// built once in the temporary folder and reused by later runs.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "best_time.h"
#include "cleanup/safe_cleanup_scan.h"
#include "platform/folders.h"
#include "process/command_runner.h"

namespace fs = std::filesystem;
using namespace tidewell;

namespace {

constexpr int cacheCount = 50;
constexpr int foldersPerCache = 40;
constexpr int filesPerFolder = 100;  // 50 x 40 x 100 = 200,000 files
constexpr int rounds = 5;

void writeSmallFile(const fs::path& path, std::size_t size) {
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) return;
    const std::string bytes(size, 'c');
    if (::write(descriptor, bytes.data(), bytes.size()) < 0) std::perror("write");
    ::close(descriptor);
}

fs::path prepareCaches() {
    const fs::path root = platform::temporaryDirectory() / "tidewell-bench-safe-cleanup";
    const fs::path caches = root / "home/Library/Caches";
    if (!fs::exists(root / "complete")) {
        std::printf("building %d files in %s (once)\n", cacheCount * foldersPerCache * filesPerFolder, caches.c_str());
        fs::remove_all(root);
        for (int c = 0; c < cacheCount; ++c) {
            for (int f = 0; f < foldersPerCache; ++f) {
                const fs::path folder = caches / ("com.bench.app" + std::to_string(c)) / ("f" + std::to_string(f));
                fs::create_directories(folder);
                for (int n = 0; n < filesPerFolder; ++n) {
                    writeSmallFile(folder / ("entry" + std::to_string(n) + ".cache"), 100 + (n * 37) % 9000);
                }
            }
        }
        std::ofstream(root / "complete") << "ok\n";
    }
    // Old enough to be offered, whatever day the folder was built.
    const auto old = fs::file_time_type::clock::now() - std::chrono::days(10);
    for (const auto& entry : fs::directory_iterator(caches)) fs::last_write_time(entry.path(), old);
    return root;
}

}  // namespace

int main() {
    const fs::path root = prepareCaches();
    ::setenv("HOME", (root / "home").c_str(), 1);
    const std::string du = fs::exists("/usr/bin/du") ? "/usr/bin/du" : "/bin/du";
    const std::string caches = (root / "home/Library/Caches").native();

    std::size_t offered = 0;
    const auto scanOnce = [&] { offered = AppScanner::scanSafeCleanup().size(); };
    const auto duOnce = [&] {
        if (CommandRunner::run(du, {"-s", caches}).status != 0) std::fprintf(stderr, "du failed\n");
    };
    scanOnce();  // warm the page cache for both
    duOnce();
    const double scanSeconds = bench::bestSeconds(scanOnce, rounds);
    const double duSeconds = bench::bestSeconds(duOnce, rounds);
    std::printf("items offered: %zu\n", offered);
    std::printf("scan: %.3f s   du -s: %.3f s   ratio scan/du: %.2f (target <= 1.2)\n", scanSeconds, duSeconds,
                scanSeconds / duSeconds);
    return offered == cacheCount ? 0 : 1;
}
