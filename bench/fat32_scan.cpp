// Times the FAT32 deleted-entry scan against The Sleuth Kit's `fls -r -d` on
// the same image: about 1,000 directories and 100,000 entries, 10% deleted.
// The image is built once with mkfs.vfat and mtools and kept in the cache
// folder ($TIDEWELL_BENCH_CACHE, else /tmp/tidewell-bench).
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "firstaid/command_runner.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "sample_entries.h"

namespace {

namespace fs = std::filesystem;
using tidewell::CommandRunner::run;

constexpr int directoryCount = 1000;
constexpr int filesPerDirectory = 100;

using tidewell::bench::numbered;
using tidewell::bench::tinyPNG;

void mustRun(const std::string& tool, const std::vector<std::string>& arguments) {
    auto output = run(tool, arguments);
    if (output.status != 0) throw std::runtime_error(tool + " failed: " + output.combined());
}

fs::path buildImage(const fs::path& cache) {
    fs::create_directories(cache);
    auto image = cache / "fat32_scan.img";
    if (fs::exists(image)) return image;
    std::cout << "Building " << image << " (once)..." << std::endl;
    auto work = cache / "fat32_scan.work";
    fs::remove_all(work);
    fs::create_directories(work);
    auto building = work / "image";
    mustRun("/usr/sbin/mkfs.vfat", {"-F", "32", "-S", "512", "-s", "1", "-C", building.string(), "262144"});
    std::vector<std::string> folders{"-i", building.string()};
    for (int d = 0; d < directoryCount; ++d) folders.push_back(numbered("::/D", d, 4));
    mustRun("/usr/bin/mmd", folders);  // every folder before any file (mtools allocates after its hint)
    std::vector<std::string> files;
    for (int f = 0; f < filesPerDirectory; ++f) {
        files.push_back((work / numbered("F", f, 3)).string() + ".PNG");
        std::ofstream(files.back(), std::ios::binary).write(reinterpret_cast<const char*>(tinyPNG.data()), 70);
    }
    for (int d = 0; d < directoryCount; ++d) {
        std::vector<std::string> copy{"-i", building.string()};
        copy.insert(copy.end(), files.begin(), files.end());
        copy.push_back(numbered("::/D", d, 4) + "/");
        mustRun("/usr/bin/mcopy", copy);
        std::vector<std::string> remove{"-i", building.string()};
        for (int f = 0; f < filesPerDirectory; f += 10)
            remove.push_back(numbered("::/D", d, 4) + "/" + numbered("F", f, 3) + ".PNG");
        mustRun("/usr/bin/mdel", remove);
    }
    fs::rename(building, image);
    fs::remove_all(work);
    return image;
}

double seconds(std::chrono::steady_clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

}  // namespace

int main() {
    const char* cacheSetting = std::getenv("TIDEWELL_BENCH_CACHE");
    auto image = buildImage(cacheSetting != nullptr ? cacheSetting : "/tmp/tidewell-bench");

    auto started = std::chrono::steady_clock::now();
    auto [candidates, report] = tidewell::FATDeletedRecoveryEngine::scanImage(image);
    double ours = seconds(std::chrono::steady_clock::now() - started);

    started = std::chrono::steady_clock::now();
    auto peer = run("/usr/bin/fls", {"-r", "-d", "-f", "fat32", image.string()});
    double theirs = seconds(std::chrono::steady_clock::now() - started);
    if (peer.status != 0) {
        std::cerr << "fls failed: " << peer.combined() << "\n";
        return 1;
    }
    std::size_t peerLines = static_cast<std::size_t>(std::count(peer.stdoutText.begin(), peer.stdoutText.end(), '\n'));

    std::cout << "Tidewell scan: " << ours << " s, " << candidates.size() << " candidates, " << report.entriesChecked
              << " entries, " << report.directoriesChecked << " directories\n"
              << "fls -r -d:     " << theirs << " s, " << peerLines << " deleted entries listed\n"
              << "ratio (Tidewell / fls): " << ours / theirs << " (target at most 1.0)\n";
    return 0;
}
