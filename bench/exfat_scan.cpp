// Times the exFAT deleted-entry scan against The Sleuth Kit's `fls -r -d` on
// the same image: 1,000 directories of 100 files (about 100,000 entries),
// 4% deleted, which stays under the engine's candidate cap so that both tools
// walk every directory. The image is made by mkfs.exfat and filled by writing entry
// sets directly, once, into the cache folder ($TIDEWELL_BENCH_CACHE, else
// /tmp/tidewell-bench).
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "best_time.h"
#include "exfat_bench_image.h"
#include "firstaid/command_runner.h"
#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "scan_image_samples.h"

namespace {

namespace fs = std::filesystem;
using tidewell::CommandRunner::run;

constexpr int directoryCount = 1000;
constexpr int filesPerDirectory = 100;
constexpr int deletedEvery = 25;
constexpr int rounds = 3;

using tidewell::bench::numbered;
using tidewell::bench::tinyPNG;

// 512-byte clusters keep the image small: one cluster per file.
fs::path buildImage(const fs::path& cache) {
    fs::create_directories(cache);
    auto image = cache / "exfat_scan.img";
    if (fs::exists(image)) return image;
    std::cout << "Building " << image << " (once)..." << std::endl;
    auto building = cache / "exfat_scan.building";
    fs::remove(building);
    std::ofstream(building).close();
    fs::resize_file(building, 96 * 1024 * 1024);
    auto made = run("/usr/sbin/mkfs.exfat", {"-c", "512", building.string()});
    if (made.status != 0) throw std::runtime_error("mkfs.exfat failed: " + made.combined());

    tidewell::bench::ExFATBenchImage writer(building);
    auto top = writer.makeDirectory(writer.root(), "BENCH", directoryCount * 3);
    for (int d = 0; d < directoryCount; ++d) {
        auto directory = writer.makeDirectory(top, numbered("D", d, 4), filesPerDirectory * 3);
        for (int f = 0; f < filesPerDirectory; ++f)
            writer.addFile(directory, numbered("F", f, 3) + ".PNG", tinyPNG, f % deletedEvery == 0);
    }
    writer.save();
    fs::rename(building, image);
    return image;
}

}  // namespace

int main() {
    const char* cacheSetting = std::getenv("TIDEWELL_BENCH_CACHE");
    auto image = buildImage(cacheSetting != nullptr ? cacheSetting : "/tmp/tidewell-bench");

    tidewell::FATDeletedRecoveryEngine::ScanResult result;
    tidewell::CommandOutput peer;
    auto [ours, theirs] = tidewell::bench::bestSecondsAlternating(
        [&] { result = tidewell::ExFATDeletedRecoveryEngine::scanImage(image); },
        [&] {
            peer = run("/usr/bin/fls", {"-r", "-d", "-f", "exfat", image.string()});
        },
        rounds);
    if (peer.status != 0) {
        std::cerr << "fls failed: " << peer.combined() << "\n";
        return 1;
    }
    auto peerLines = std::count(peer.stdoutText.begin(), peer.stdoutText.end(), '\n');
    const auto& [candidates, report] = result;

    std::cout << "Tidewell scan: " << ours << " s, " << candidates.size() << " candidates, " << report.entriesChecked
              << " entries, " << report.directoriesChecked << " directories\n"
              << "fls -r -d:     " << theirs << " s, " << peerLines << " deleted entries listed\n"
              << "ratio (Tidewell / fls): " << ours / theirs << " (target at most 1.0)\n";
    return 0;
}
