// Time of rebuilding a cut-off recording (no moov) from a reference clip against ffmpeg remuxing
// the intact recording of the same length with stream copy, in one run. The rebuild walks every
// sample of the media data, copies it and validates the copy, which includes decoding every frame;
// that decode is timed on its own as well, so the ratio is printed with and without it.
// TIDEWELL_BENCH_GIB sets the recording's size (default 1). Fixtures are made in the temporary
// folder, or in the folder given as the first argument, and removed afterwards.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <string>

#include "bench_folder.h"
#include "best_time.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/media_container.h"
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

constexpr int kRounds = 2;
constexpr double kLongTimeout = 3600;

void require(bool condition, const char* what) {
    if (!condition) throw std::runtime_error(what);
}

void ffmpeg(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{"-hide_banner", "-loglevel", "error", "-y"};
    all.insert(all.end(), arguments.begin(), arguments.end());
    require(run(repairTool("ffmpeg"), all, std::nullopt, std::nullopt, nullptr, kLongTimeout).status == 0,
            "ffmpeg failed");
}

// H.264 (with B-frames) and AAC as a camera writes them, the index last; noisy frames at a high
// bitrate so that a short encode grows to a gibibyte by stream-copied loops.
fs::path record(const fs::path& file, int seconds) {
    ffmpeg({"-f",         "lavfi",
            "-i",         "testsrc2=size=1280x720:rate=25,noise=alls=30:allf=t",
            "-f",         "lavfi",
            "-i",         "sine=frequency=440:sample_rate=48000",
            "-t",         std::to_string(seconds),
            "-ac",        "2",
            "-c:v",       "libx264",
            "-preset",    "ultrafast",
            "-bf",        "3",
            "-crf",       "8",
            "-c:a",       "aac",
            file.string()});
    return file;
}

fs::path grow(const fs::path& clip, const fs::path& file, double bytes) {
    const auto loops = static_cast<int>(std::ceil(bytes / static_cast<double>(fs::file_size(clip)))) - 1;
    ffmpeg({"-stream_loop", std::to_string(std::max(loops, 0)), "-i", clip.string(), "-map", "0", "-c", "copy",
            file.string()});
    return file;
}

// The recording as a cut-off camera leaves it: the media data, a little short, and no moov.
fs::path cutCopy(const fs::path& intact, const fs::path& file) {
    const auto atoms = tidewell::FileFirstAidEngine::parseTopLevelAtoms(intact);
    std::uint64_t end = 0;
    for (const auto& atom : atoms)
        if (atom.type == "mdat") end = atom.offset + atom.size - 100000;
    require(end > 0, "no mdat");
    fs::copy_file(intact, file, fs::copy_options::overwrite_existing);
    fs::resize_file(file, end);
    return file;
}

void benchRebuild(const fs::path& folder) {
    const char* gibSetting = std::getenv("TIDEWELL_BENCH_GIB");
    const double bytes = (gibSetting ? std::atof(gibSetting) : 1.0) * 1024 * 1024 * 1024;
    const auto clip = record(folder / "clip.mp4", 20);
    const auto reference = record(folder / "reference.mp4", 2);
    const auto intact = grow(clip, folder / "intact.mp4", bytes);
    const auto cut = cutCopy(intact, folder / "cut.mp4");
    const auto diagnostic = tidewell::FileFirstAidEngine::diagnose(cut);
    const auto engineOutput = folder / "engine.mp4";
    const auto toolOutput = folder / "tool.mp4";
    const auto times = tidewell::bench::bestSecondsAlternating(
        [&] { tidewell::FileFirstAidEngine::repairWithReference(diagnostic, reference, engineOutput); },
        [&] {
            run(repairTool("ffmpeg"),
                {"-y", "-i", intact.string(), "-map", "0", "-c", "copy", "-movflags", "+faststart",
                 toolOutput.string()},
                std::nullopt, std::nullopt, nullptr, kLongTimeout);
        },
        kRounds,
        [&] {
            fs::remove(engineOutput);
            fs::remove(toolOutput);
        });
    tidewell::FileFirstAidEngine::repairWithReference(diagnostic, reference, engineOutput);
    const double decode = tidewell::bench::bestSeconds(
        [&] {
            run(repairTool("ffmpeg"), {"-v", "error", "-i", engineOutput.string(), "-f", "null", "-"}, std::nullopt,
                std::nullopt, nullptr, kLongTimeout);
        },
        1);
    std::printf("moov rebuild of a %.2f GiB cut recording\n", static_cast<double>(fs::file_size(cut)) / (1 << 30));
    std::printf("  rebuild (validated, every frame decoded)  best %8.3f s\n", times.first);
    std::printf("  ffmpeg -c copy remux of the intact file   best %8.3f s\n", times.second);
    std::printf("  ratio                                     %.2f\n", times.first / times.second);
    std::printf("  of which the full decode check            %8.3f s\n", decode);
    std::printf("  ratio without the decode check            %.2f\n", (times.first - decode) / times.second);
}

}  // namespace

int main(int argc, char** argv) {
    return tidewell::bench::runInFreshFolder(argc, argv, "TidewellMoovBench", benchRebuild);
}
