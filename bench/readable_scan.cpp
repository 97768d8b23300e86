// Times the readable scan against `find -printf '%s %b %T@\n'` over the same
// tree of 300,000 entries, and the export of 1 GiB of files against `cp -r`,
// and prints both ratios (targets: at most 1.3 and 1.2). The trees are built
// once in the temporary folder and reused by later runs.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "best_time.h"
#include "platform/folders.h"
#include "process/command_runner.h"
#include "recovery/readable/external_recovery_engine.h"

namespace fs = std::filesystem;
using namespace tidewell;

namespace {

constexpr int folderCount = 300;
constexpr int entriesPerFolder = 999;  // with the folders: 300,000 entries
constexpr int qualifyingEvery = 15;    // about 20,000 candidates, under the candidate limit
constexpr int exportFileCount = 256;
constexpr std::size_t exportFileBytes = 4 << 20;  // 256 x 4 MiB = 1 GiB
constexpr int rounds = 3;

const char* const kinds[] = {".jpg", ".mov", ".pdf", ".mp3", ".zip"};

void createFile(const fs::path& path, std::size_t bytes) {
    int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (descriptor < 0) return;
    std::string block(std::min<std::size_t>(bytes, 1 << 20), 'x');
    for (std::size_t written = 0; written < bytes; written += block.size())
        if (::write(descriptor, block.data(), std::min(block.size(), bytes - written)) < 0) break;
    ::close(descriptor);
}

// Mostly empty files of other kinds, as on a card full of camera side files,
// with a qualifying file of a few hundred bytes every fifteenth entry.
void buildScanTree(const fs::path& root) {
    for (int folder = 0; folder < folderCount; ++folder) {
        fs::path directory = root / ("DIR" + std::to_string(folder));
        fs::create_directories(directory);
        for (int entry = 0; entry < entriesPerFolder; ++entry) {
            bool qualifying = entry % qualifyingEvery == 0;
            std::string name = "F" + std::to_string(entry) + (qualifying ? kinds[entry % 5] : ".thm");
            createFile(directory / name, qualifying ? 300 : 0);
        }
    }
}

void buildExportTree(const fs::path& root) {
    fs::create_directories(root / "DCIM");
    for (int i = 0; i < exportFileCount; ++i)
        createFile(root / "DCIM" / ("MVI_" + std::to_string(i) + ".mov"), exportFileBytes);
}

fs::path prepareTrees() {
    const fs::path root = platform::temporaryDirectory() / "tidewell-bench-readable-scan";
    if (fs::exists(root / "complete")) return root;
    std::printf("building 300,000 entries and 1 GiB of files in %s (once)\n", root.c_str());
    fs::remove_all(root);
    buildScanTree(root / "scan");
    buildExportTree(root / "export");
    std::ofstream(root / "complete") << "ok\n";
    return root;
}

ExternalRecoveryVolume folderSource(const fs::path& root) {
    ExternalRecoveryVolume volume;
    volume.name = "BENCH";
    volume.mountURL = root;
    volume.id = root.string() + "#manual";
    return volume;
}

}  // namespace

int main() {
    const fs::path root = prepareTrees();
    const fs::path output = root / "output";
    const auto clearOutput = [&] { fs::remove_all(output), fs::create_directories(output); };

    std::pair<std::vector<RecoveryCandidate>, RecoveryScanReport> scanned;
    const auto scanOnce = [&] { scanned = ExternalRecoveryEngine::scan(folderSource(root / "scan")); };
    const auto findOnce = [&] {
        if (CommandRunner::run("/usr/bin/find", {(root / "scan").string(), "-printf", "%s %b %T@\n"}).status != 0)
            std::fprintf(stderr, "find failed\n");
    };
    scanOnce();  // warm the cache for both
    findOnce();
    const double scanSeconds = bench::bestSeconds(scanOnce, rounds);
    const double findSeconds = bench::bestSeconds(findOnce, rounds);
    std::printf("scan: %lld entries visited, %lld candidates\n", static_cast<long long>(scanned.second.filesVisited),
                static_cast<long long>(scanned.second.candidatesFound));
    std::printf("scan: %.3f s   find: %.3f s   ratio scan/find: %.2f (target <= 1.3)\n", scanSeconds, findSeconds,
                scanSeconds / findSeconds);

    auto exportSource = folderSource(root / "export");
    auto candidates = ExternalRecoveryEngine::scan(exportSource).first;
    std::size_t written = 0;
    const auto exportOnce = [&] {
        written = ExternalRecoveryEngine::exportCandidates(candidates, exportSource, output).size();
        ::sync();
    };
    const auto copyOnce = [&] {
        CommandRunner::run("/bin/cp", {"-r", (root / "export").string(), (output / "copy").string()});
        ::sync();
    };
    const auto [exportSeconds, copySeconds] =
        bench::bestSecondsAlternating(exportOnce, copyOnce, rounds + 2, clearOutput);
    fs::remove_all(output);
    std::printf("export: %zu files, %.3f s   cp -r: %.3f s   ratio export/cp: %.2f (target <= 1.2)\n", written,
                exportSeconds, copySeconds, exportSeconds / copySeconds);
    return written == candidates.size() ? 0 : 1;
}
