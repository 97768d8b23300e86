// Time of FileFirstAidEngine::repair against the same work done by the tools
// directly: an MP4 remux against the identical ffmpeg command, a ZIP rebuild
// against unzip into a folder plus zip of that folder. Prints the best of a few
// alternating rounds and the ratios. Fixtures are made in the temporary folder,
// or in the folder given as the first argument, and removed afterwards.
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "bench_folder.h"
#include "best_time.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/repair_export.h"
#include "firstaid/tool_runs.h"
#include "platform/folders.h"
#include "process/command_runner.h"
#include "sample_archive.h"
#include "util/uuid.h"

namespace {

namespace fs = std::filesystem;
using tidewell::bench::repairTool;
using tidewell::CommandRunner::run;

constexpr int kRounds = 3;

void require(bool condition, const char* what) {
    if (!condition) throw std::runtime_error(what);
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
    require(run(repairTool("ffmpeg"),
                {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                 "testsrc=duration=" + seconds + frames, "-f", "lavfi", "-i", "sine=duration=" + seconds, "-c:v",
                 "mpeg4", "-q:v", "1", "-c:a", "aac", clip.string()})
                    .status == 0,
            "ffmpeg failed");
    return clip;
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
            run(repairTool("ffmpeg"),
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
    const auto archive = tidewell::bench::makeSampleArchive(folder);
    const auto diagnostic = tidewell::FileFirstAidEngine::diagnose(archive);
    const auto engineOutput = folder / "engine.zip";
    const auto toolOutput = folder / "tool.zip";
    const auto work = folder / "work";
    const auto times = tidewell::bench::bestSecondsAlternating(
        [&] { tidewell::FileFirstAidEngine::repair(diagnostic, engineOutput); },
        [&] {
            run(repairTool("unzip"), {"-q", "-o", archive.string(), "-d", work.string()});
            run(repairTool("zip"), {"-q", "-r", "-y", toolOutput.string(), "."}, work);
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
    return tidewell::bench::runInFreshFolder(argc, argv, "TidewellRepairBench", [](const fs::path& folder) {
        benchVideo(folder);
        benchArchive(folder);
    });
}
