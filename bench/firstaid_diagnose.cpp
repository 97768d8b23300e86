// Time of FileFirstAidEngine::diagnose on a 2 GiB MP4 and a 1 GiB ZIP against the
// peer tool on the same file (ffprobe, unzip -l). Prints both medians and ratios
// (target: at most 1.5 each). Fixtures are made in the temporary folder, or in
// the folder given as the first argument, and removed afterwards.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "firstaid/file_first_aid_engine.h"
#include "firstaid/media_container.h"
#include "platform/folders.h"
#include "process/command_runner.h"

namespace {

namespace fs = std::filesystem;
using tidewell::CommandRunner::run;

constexpr std::uint64_t kVideoBytes = 2ULL << 30;
constexpr std::uint64_t kArchiveBytes = 1ULL << 30;

void require(bool condition, const char* what) {
    if (!condition) throw std::runtime_error(what);
}

std::string bigEndian32(std::uint64_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

// A short ffmpeg clip whose mdat is grown by a sparse hole to about 2 GiB; the
// moov after it keeps pointing at the same samples, so ffprobe still reads it.
fs::path makeVideo(const fs::path& folder) {
    const auto clip = folder / "clip.mp4";
    require(run("/usr/bin/ffmpeg", {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                    "testsrc=duration=5:size=320x240", "-c:v", "mpeg4", clip.string()})
                    .status == 0,
            "ffmpeg failed");
    const auto atoms = tidewell::FileFirstAidEngine::parseTopLevelAtoms(clip);
    require(atoms.size() == 4 && atoms[2].type == "mdat" && atoms[3].type == "moov", "unexpected clip layout");
    std::ifstream in(clip, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto& mdat = atoms[2];
    const std::uint64_t padding = kVideoBytes - bytes.size();
    const auto video = folder / "large.mp4";
    std::ofstream out(video, std::ios::binary);
    out << bytes.substr(0, mdat.offset) << bigEndian32(mdat.size + padding) << "mdat";
    out << bytes.substr(mdat.offset + 8, mdat.size - 8);
    out.seekp(static_cast<std::streamoff>(padding), std::ios::cur);
    out << bytes.substr(atoms[3].offset);
    return video;
}

// One stored 1 GiB entry (zip reads the sparse source as zeros).
fs::path makeArchive(const fs::path& folder) {
    const auto source = folder / "payload.bin";
    std::ofstream(source).close();
    fs::resize_file(source, kArchiveBytes);
    const auto archive = folder / "large.zip";
    require(run("/usr/bin/zip", {"-q", "-0", archive.string(), "payload.bin"}, folder).status == 0, "zip failed");
    fs::remove(source);
    return archive;
}

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void compare(const char* label, const fs::path& file, const std::string& peer, std::vector<std::string> peerArguments,
             int runs) {
    peerArguments.push_back(file.string());
    std::vector<double> engine, tool;
    for (int i = 0; i < runs; ++i) {
        engine.push_back(seconds([&] { tidewell::FileFirstAidEngine::diagnose(file); }));
        tool.push_back(seconds([&] { run(peer, peerArguments); }));
    }
    const double engineMedian = median(engine), toolMedian = median(tool);
    std::printf("%s (%s)\n", label, file.c_str());
    std::printf("  diagnose        median %8.3f s\n", engineMedian);
    std::printf("  %-15s median %8.3f s\n", fs::path(peer).filename().c_str(), toolMedian);
    std::printf("  ratio           %.2f (target <= 1.5)\n", engineMedian / toolMedian);
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path base = argc > 1 ? fs::path(argv[1]) : tidewell::platform::temporaryDirectory();
    const fs::path folder = base / ("tidewell-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    try {
        const auto ffprobe = tidewell::CommandRunner::firstExecutable("ffprobe");
        require(ffprobe.has_value(), "ffprobe is not in the resource folder");
        compare("2 GiB MP4", makeVideo(folder), *ffprobe,
                {"-v", "error", "-show_entries", "format=duration:stream=codec_type,codec_name", "-of", "json"}, 5);
        const auto archive = makeArchive(folder);
        compare("1 GiB ZIP", archive, "/usr/bin/unzip", {"-l"}, 3);
        // The diagnosis runs the full archive test itself; this shows what it adds to that.
        compare("1 GiB ZIP against the archive test it runs", archive, "/usr/bin/unzip", {"-tqq"}, 3);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench failed: %s\n", error.what());
        fs::remove_all(folder);
        return 1;
    }
    fs::remove_all(folder);
    return 0;
}
