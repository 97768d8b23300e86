// Time of FileFirstAidEngine::repair against the same work done by the tools
// directly: an MP4 remux against the identical ffmpeg command, a ZIP rebuild
// against unzip into a folder plus zip of that folder. Prints the best of a few
// alternating rounds and the ratios. Fixtures are made in the temporary folder,
// or in the folder given as the first argument, and removed afterwards.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>

#include "best_time.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/repair_export.h"
#include "firstaid/tool_runs.h"
#include "platform/folders.h"
#include "process/command_runner.h"
#include "util/uuid.h"

namespace {

namespace fs = std::filesystem;
using tidewell::CommandRunner::run;

constexpr int kRounds = 3;
constexpr int kArchiveFiles = 400;
constexpr std::size_t kArchiveFileBytes = 64 * 1024;

void require(bool condition, const char* what) {
    if (!condition) throw std::runtime_error(what);
}

std::string tool(const char* name) {
    const auto path = tidewell::FileFirstAidEngine::toolPath(name);
    require(path.has_value(), "a tool is missing");
    return *path;
}

// A clip with its index after the media data, as a camera writes it: 20 s of
// 640x480 by default. TIDEWELL_BENCH_VIDEO_SECONDS makes the large case: noisy
// 1080p frames that barely compress (about 1 GiB at 32 s), where the fixed
// cost of validation fades.
fs::path makeVideo(const fs::path& folder) {
    const auto clip = folder / "clip.mp4";
    const char* secondsSetting = std::getenv("TIDEWELL_BENCH_VIDEO_SECONDS");
    const std::string seconds = secondsSetting ? secondsSetting : "20";
    const std::string frames = secondsSetting ? ":size=1920x1080,noise=alls=60:allf=t" : ":size=640x480";
    require(
        run(tool("ffmpeg"), {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                             "testsrc=duration=" + seconds + frames, "-f", "lavfi", "-i", "sine=duration=" + seconds,
                             "-c:v", "mpeg4", "-q:v", "1", "-c:a", "aac", clip.string()})
                .status == 0,
        "ffmpeg failed");
    return clip;
}

// Half-compressible files in nested folders (about 25 MiB).
fs::path makeArchive(const fs::path& folder) {
    const auto tree = folder / "tree";
    std::mt19937 random(7);
    for (int index = 0; index < kArchiveFiles; ++index) {
        const auto file = tree / ("d" + std::to_string(index % 20)) / ("f" + std::to_string(index) + ".bin");
        fs::create_directories(file.parent_path());
        std::string bytes(kArchiveFileBytes, 'a');
        for (std::size_t at = 0; at < bytes.size(); at += 2) bytes[at] = static_cast<char>(random());
        std::ofstream(file, std::ios::binary) << bytes;
    }
    const auto archive = folder / "data.zip";
    require(run(tool("zip"), {"-q", "-r", archive.string(), "."}, tree).status == 0, "zip failed");
    fs::remove_all(tree);
    return archive;
}

void report(const char* label, std::pair<double, double> times, const char* peer) {
    std::printf("%s\n  repair          best %8.3f s\n  %-15s best %8.3f s\n  ratio           %.2f\n", label,
                times.first, peer, times.second, times.first / times.second);
}

void benchVideo(const fs::path& folder) {
    const auto clip = makeVideo(folder);
    const auto diagnostic = tidewell::FileFirstAidEngine::diagnose(clip);
    const auto engineOutput = folder / "engine.mp4";
    const auto toolOutput = folder / "tool.mp4";
    const auto times = tidewell::bench::bestSecondsAlternating(
        [&] { tidewell::FileFirstAidEngine::repair(diagnostic, engineOutput); },
        [&] {
            run(tool("ffmpeg"),
                {"-y", "-i", clip.string(), "-map", "0", "-c", "copy", "-movflags", "+faststart", toolOutput.string()});
        },
        kRounds,
        [&] {
            fs::remove(engineOutput);
            fs::remove(toolOutput);
        });
    report("MP4 remux (moov after mdat)", times, "ffmpeg");
}

void benchArchive(const fs::path& folder) {
    const auto archive = makeArchive(folder);
    const auto diagnostic = tidewell::FileFirstAidEngine::diagnose(archive);
    const auto engineOutput = folder / "engine.zip";
    const auto toolOutput = folder / "tool.zip";
    const auto work = folder / "work";
    const auto times = tidewell::bench::bestSecondsAlternating(
        [&] { tidewell::FileFirstAidEngine::repair(diagnostic, engineOutput); },
        [&] {
            run(tool("unzip"), {"-q", "-o", archive.string(), "-d", work.string()});
            run(tool("zip"), {"-q", "-r", "-y", toolOutput.string(), "."}, work);
        },
        kRounds,
        [&] {
            fs::remove(engineOutput);
            fs::remove(toolOutput);
            fs::remove_all(work);
        });
    report("ZIP rebuild (400 files)", times, "unzip + zip");
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path base = argc > 1 ? fs::path(argv[1]) : tidewell::platform::temporaryDirectory();
    const fs::path folder = base / ("TidewellRepairBench-" + tidewell::makeUUIDString());
    int status = 0;
    try {
        fs::create_directories(folder);
        benchVideo(folder);
        benchArchive(folder);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench failed: %s\n", error.what());
        status = 1;
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return status;
}
