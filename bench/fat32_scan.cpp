// Times the FAT32 deleted-entry scan against The Sleuth Kit's `fls -r -d` on
// the same image: about 1,000 directories and 100,000 entries, 10% deleted.
// The image is built once with mkfs.vfat and mtools and kept in the cache
// folder ($TIDEWELL_BENCH_CACHE, else /tmp/tidewell-bench).
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "deleted_scan_bench.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "sample_entries.h"

namespace {

namespace fs = std::filesystem;

constexpr int directoryCount = 1000;
constexpr int filesPerDirectory = 100;

using tidewell::bench::mustRun;
using tidewell::bench::numbered;
using tidewell::bench::tinyPNG;

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

}  // namespace

int main() {
    auto image = buildImage(tidewell::bench::benchCache());
    return tidewell::bench::compareWithFls([&] { return tidewell::FATDeletedRecoveryEngine::scanImage(image); }, image,
                                           "fat32", 1);
}
