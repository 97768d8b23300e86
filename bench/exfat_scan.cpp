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

namespace {

namespace fs = std::filesystem;
using tidewell::CommandRunner::run;

constexpr int directoryCount = 1000;
constexpr int filesPerDirectory = 100;
constexpr int deletedEvery = 25;
constexpr int rounds = 3;

// A 1 × 1 PNG image: every deleted file is a candidate that decodes.
const std::vector<std::uint8_t> tinyPNG{
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x06, 0x00, 0x00, 0x00, 0x1F, 0x15, 0xC4, 0x89, 0x00, 0x00, 0x00,
    0x0D, 0x49, 0x44, 0x41, 0x54, 0x08, 0x1D, 0x63, 0xF8, 0xCF, 0xC0, 0xF0, 0x1F, 0x00, 0x05, 0x80, 0x02, 0x3F,
    0x49, 0xC2, 0xF6, 0x61, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82};

std::string numbered(const std::string& prefix, int n, int width) {
    std::string digits = std::to_string(n);
    return prefix + std::string(static_cast<std::size_t>(width) - digits.size(), '0') + digits;
}

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
