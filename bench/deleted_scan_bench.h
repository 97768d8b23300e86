#pragma once

// What the deleted-entry scan benches share: the image cache, running the
// tools that build an image, and timing a scan against `fls -r -d`.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "best_time.h"
#include "process/command_runner.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"

namespace tidewell::bench {

// Where built images are kept between runs: $TIDEWELL_BENCH_CACHE, else /tmp/tidewell-bench.
inline std::filesystem::path benchCache() {
    const char* setting = std::getenv("TIDEWELL_BENCH_CACHE");
    return setting != nullptr ? setting : "/tmp/tidewell-bench";
}

// Runs `tool`; when it fails, throws "<failure>: <its output>" (failure defaults to "<tool> failed").
inline void mustRun(const std::string& tool, const std::vector<std::string>& arguments, std::string failure = {}) {
    const CommandOutput output = CommandRunner::run(tool, arguments);
    if (failure.empty()) failure = tool + " failed";
    if (output.status != 0) throw std::runtime_error(failure + ": " + output.combined());
}

// Times `scan` and `fls -r -d -f <fileSystem>` on `image` in alternation,
// best of `rounds` each, and prints both and their ratio; 1 when fls fails.
inline int compareWithFls(const std::function<FATDeletedRecoveryEngine::ScanResult()>& scan,
                          const std::filesystem::path& image, const std::string& fileSystem, int rounds) {
    FATDeletedRecoveryEngine::ScanResult result;
    CommandOutput peer;
    auto [ours, theirs] = bestSecondsAlternating(
        [&] { result = scan(); },
        [&] {
            peer = CommandRunner::run("/usr/bin/fls", {"-r", "-d", "-f", fileSystem, image.string()});
        },
        rounds);
    if (peer.status != 0) {
        std::cerr << "fls failed: " << peer.combined() << "\n";
        return 1;
    }
    std::size_t peerLines = static_cast<std::size_t>(std::count(peer.stdoutText.begin(), peer.stdoutText.end(), '\n'));

    std::cout << "Tidewell scan: " << ours << " s, " << result.first.size() << " candidates, "
              << result.second.entriesChecked << " entries, " << result.second.directoriesChecked << " directories\n"
              << "fls -r -d:     " << theirs << " s, " << peerLines << " deleted entries listed\n"
              << "ratio (Tidewell / fls): " << ours / theirs << " (target at most 1.0)\n";
    return 0;
}

}  // namespace tidewell::bench
