#pragma once

// What the deleted-entry scan benches share: the image cache, running the
// tools that build an image, the FAT32 scan image, and timing a scan against
// `fls -r -d` with what each side walked.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "best_time.h"
#include "process/command_runner.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "sample_entries.h"

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

// A FAT32 image of 1,000 folders of 100 files (about 100,000 entries) with
// every 25th file deleted: 4,000 candidates, below the engine's cap on
// candidates, so that the engine and `fls` both walk the whole tree. Built
// once with mkfs.vfat and mtools and kept in `cache`.
inline std::filesystem::path fat32ScanImage(const std::filesystem::path& cache) {
    namespace fs = std::filesystem;
    constexpr int directoryCount = 1000;
    constexpr int filesPerDirectory = 100;
    constexpr int deletedEvery = 25;
    fs::create_directories(cache);
    // The name carries the deletion pattern: an image cached with another one is not reused.
    auto image = cache / "fat32_scan_every25th_deleted.img";
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
        std::ofstream(files.back(), std::ios::binary)
            .write(reinterpret_cast<const char*>(tinyPNG.data()), static_cast<std::streamsize>(tinyPNG.size()));
    }
    for (int d = 0; d < directoryCount; ++d) {
        std::vector<std::string> copy{"-i", building.string()};
        copy.insert(copy.end(), files.begin(), files.end());
        copy.push_back(numbered("::/D", d, 4) + "/");
        mustRun("/usr/bin/mcopy", copy);
        std::vector<std::string> remove{"-i", building.string()};
        for (int f = 0; f < filesPerDirectory; f += deletedEvery)
            remove.push_back(numbered("::/D", d, 4) + "/" + numbered("F", f, 3) + ".PNG");
        mustRun("/usr/bin/mdel", remove);
    }
    fs::rename(building, image);
    fs::remove_all(work);
    return image;
}

// The cap a scan stopped at, if any: then it did not walk the whole tree.
inline std::optional<std::string> capReached(const FATDeletedRecoveryEngine::Report& report) {
    namespace Limits = FATDeletedRecoveryEngine::Limits;
    if (report.candidatesFound >= static_cast<std::int64_t>(Limits::maximumCandidates))
        return "the candidate cap (" + std::to_string(Limits::maximumCandidates) + ")";
    if (report.directoriesChecked >= static_cast<std::int64_t>(Limits::maximumDirectories))
        return "the directory cap (" + std::to_string(Limits::maximumDirectories) + ")";
    if (report.entriesChecked >= Limits::maximumEntries)
        return "the entry cap (" + std::to_string(Limits::maximumEntries) + ")";
    return std::nullopt;
}

// What `fls -r` listed: every named entry below the root (its own virtual
// entries left out) and how many of them are directories.
struct FlsWalk {
    std::int64_t entries = 0;
    std::int64_t directories = 0;
};

// Reads `fls -r` output: "[+ ...]<type>/<type> [* ]<inode>:\t<name>" per line;
// "v/v" and "V/V" lines are fls's own virtual files.
inline FlsWalk parseFlsListing(const std::string& listing) {
    FlsWalk walk;
    std::istringstream lines(listing);
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t type = line.find_first_not_of("+ ");
        if (type == std::string::npos || line.compare(type, 3, "v/v") == 0 || line.compare(type, 3, "V/V") == 0)
            continue;
        ++walk.entries;
        if (line.compare(type, 3, "d/d") == 0) ++walk.directories;
    }
    return walk;
}

// Times `scan` and `fls -r -d -f <fileSystem>` on `image` in alternation,
// best of `rounds` each, and prints both, what each walked and their ratio.
// Returns 1 when fls fails, 2 when the scan stopped at a cap (the ratio then
// compares a partial walk with a whole one).
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
    // Untimed: the whole listing, deleted and live, to count what fls walked.
    const CommandOutput listing = CommandRunner::run("/usr/bin/fls", {"-r", "-f", fileSystem, image.string()});
    if (peer.status != 0 || listing.status != 0) {
        std::cerr << "fls failed: " << peer.combined() << listing.combined() << "\n";
        return 1;
    }
    const auto peerLines = std::count(peer.stdoutText.begin(), peer.stdoutText.end(), '\n');
    const FlsWalk peerWalk = parseFlsListing(listing.stdoutText);
    const FATDeletedRecoveryEngine::Report& report = result.second;

    std::cout << "Tidewell scan: " << ours << " s, " << result.first.size() << " candidates\n"
              << "  walked " << report.directoriesChecked << " directories (root included), " << report.entriesChecked
              << " directory entries examined\n"
              << "fls -r -d:     " << theirs << " s, " << peerLines << " deleted entries listed\n"
              << "  walked " << peerWalk.directories + 1 << " directories (root included), " << peerWalk.entries
              << " named entries (fls -r, untimed)\n";
    if (auto cap = capReached(report)) {
        std::cout << "NOT COMPARABLE: the Tidewell scan stopped at " << *cap
                  << " before the end of the tree, while fls walked all of it.\n"
                  << "ratio (Tidewell / fls): " << ours / theirs << " (partial walk against whole walk)\n";
        return 2;
    }
    std::cout << "ratio (Tidewell / fls): " << ours / theirs << " (target at most 1.0; both walked the whole tree)\n";
    return 0;
}

}  // namespace tidewell::bench
