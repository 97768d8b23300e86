// Time of rebuilding a cut-off recording (no moov) from a reference clip against ffmpeg remuxing
// the intact recording of the same length with stream copy, in one run. The headline compares the
// writing work of both: the rebuild's walk of every sample and its write of the new file against
// the remux. The rebuild then validates its copy (atom walk, ffprobe, decoding every frame), which
// the remux does not do; that validation is timed from the same runs and printed on its own lines.
// TIDEWELL_BENCH_GIB sets the recording's size (default 1). Fixtures are made in the temporary
// folder, or in the folder given as the first argument, and removed afterwards.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>

#include <unistd.h>

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

constexpr int kRounds = 3;
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
    // The rebuild's phases, split by its progress reports: writing until verification starts,
    // then the validation, of which the decode of every frame comes last.
    double rebuild = 1e9, validation = 1e9, decode = 1e9;
    const auto repair = [&] {
        using Clock = std::chrono::steady_clock;
        const auto start = Clock::now();
        std::optional<Clock::time_point> verifying, decoding;
        tidewell::FileFirstAidEngine::repairWithReference(
            diagnostic, reference, engineOutput, nullptr,
            [&](tidewell::RepairProgressStage stage, double, const std::string& line) {
                if (stage == tidewell::RepairProgressStage::verifying && !verifying) verifying = Clock::now();
                if (line.starts_with("Decoding") && !decoding) decoding = Clock::now();
            });
        const auto end = Clock::now();
        require(verifying && decoding, "the rebuild reported no verification");
        auto seconds = [](Clock::time_point from, Clock::time_point to) {
            return std::chrono::duration<double>(to - from).count();
        };
        rebuild = std::min(rebuild, seconds(start, *verifying));
        validation = std::min(validation, seconds(*verifying, end));
        decode = std::min(decode, seconds(*decoding, end));
    };
    const double remux = tidewell::bench::bestSecondsAlternating(
                             repair,
                             [&] {
                                 const auto remuxed = run(repairTool("ffmpeg"),
                                                          {"-y", "-i", intact.string(), "-map", "0", "-c", "copy",
                                                           "-movflags", "+faststart", toolOutput.string()},
                                                          std::nullopt, std::nullopt, nullptr, kLongTimeout);
                                 if (remuxed.status != 0)
                                     throw std::runtime_error("the remux failed: " + remuxed.combined());
                             },
                             kRounds,
                             [&] {
                                 fs::remove(engineOutput);
                                 fs::remove(toolOutput);
                                 // Each side starts with nothing left to write back: otherwise the
                                 // side after a gibibyte of fresh writes is throttled for the other's.
                                 ::sync();
                             })
                             .second;
    std::printf("moov rebuild of a %.2f GiB cut recording\n", static_cast<double>(fs::file_size(cut)) / (1 << 30));
    std::printf("  rebuild (walk every sample, write the copy)     best %8.3f s\n", rebuild);
    std::printf("  ffmpeg -c copy remux of the intact file         best %8.3f s\n", remux);
    std::printf("  ratio                                           %.2f\n", rebuild / remux);
    std::printf("  validation of the copy (atoms, ffprobe, decode) best %8.3f s\n", validation);
    std::printf("    of which the full decode check                best %8.3f s\n", decode);
    std::printf("  ratio with the validation                       %.2f\n", (rebuild + validation) / remux);
}

}  // namespace

int main(int argc, char** argv) {
    return tidewell::bench::runInFreshFolder(argc, argv, "TidewellMoovBench", benchRebuild);
}
