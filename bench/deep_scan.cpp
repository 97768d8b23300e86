// Times the deep scan (scan, then export of what it found) against photorec
// carving the same quick-formatted FAT32 image, each side once from a cold
// page cache when this process may drop it. The image holds 3,000 photos,
// 2,700 in DCIM folders and 300 in the root (which only carving can find):
// one JPEG and one PNG made by ffmpeg, each copy made unique by a comment
// (JPEG COM segment, PNG tEXt chunk) so that every original has bytes of its
// own. Each side is counted by the originals it wrote back byte for byte.
//
// Usage: bench_deep_scan [image size in MiB, default 2048]. The image is built
// once and kept in the cache folder ($TIDEWELL_BENCH_CACHE, else /tmp/tidewell-bench).
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iostream>
#include <unordered_set>

#include "deleted_scan_bench.h"
#include "recovery/deleted/deep_scan.h"
#include "recovery/deleted/file_reader.h"

namespace tidewell::bench {
namespace {

namespace fs = std::filesystem;

constexpr int folderCount = 6;
constexpr int filesPerFolder = 450;
constexpr int rootFileCount = 300;

using Bytes = std::string;

Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

Bytes bigEndian32(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

std::uint32_t crc32(const Bytes& bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (char c : bytes) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

// The JPEG with a comment segment after its start marker.
Bytes jpegWithComment(const Bytes& jpeg, const std::string& comment) {
    const std::size_t length = comment.size() + 2;
    Bytes segment{'\xFF', '\xFE', static_cast<char>(length >> 8), static_cast<char>(length & 0xFF)};
    return jpeg.substr(0, 2) + segment + comment + jpeg.substr(2);
}

// The PNG with a tEXt chunk after its header chunk (8-byte signature + 25-byte IHDR).
Bytes pngWithComment(const Bytes& png, const std::string& comment) {
    const Bytes body = "tEXt" + std::string("Comment") + '\0' + comment;
    const Bytes chunk = bigEndian32(static_cast<std::uint32_t>(body.size() - 4)) + body + bigEndian32(crc32(body));
    return png.substr(0, 33) + chunk + png.substr(33);
}

Bytes ffmpegImage(const fs::path& work, const std::string& extension, const std::string& size) {
    const fs::path path = work / ("sample." + extension);
    mustRun("/usr/bin/ffmpeg",
            {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=" + size, "-frames:v", "1", "-y", path.string()});
    return readBytes(path);
}

// Makes the numbered copies first..first+count−1 with long names, alternating JPEG and PNG,
// and adds each one's bytes to `originals`. Only while the image is built are they written
// into `staging` (emptied first): files made and removed just before the timed sides would
// leave the first side's new files to the cost of reusing freshly freed inodes.
std::vector<std::string> stageCopies(const fs::path& staging, bool write, int first, int count, const Bytes& jpeg,
                                     const Bytes& png, std::vector<Bytes>& originals) {
    if (write) {
        fs::remove_all(staging);
        fs::create_directories(staging);
    }
    std::vector<std::string> paths;
    for (int n = first; n < first + count; ++n) {
        const std::string comment = numbered("Tidewell bench copy ", n, 5);
        const bool photo = n % 2 == 0;
        originals.push_back(photo ? jpegWithComment(jpeg, comment) : pngWithComment(png, comment));
        paths.push_back((staging / numbered(photo ? "Holiday photo " : "Screen capture ", n, 5)).string() +
                        (photo ? ".jpg" : ".png"));
        if (write) writeBytes(paths.back(), originals.back());
    }
    return paths;
}

void copyInto(const fs::path& image, const std::vector<std::string>& files, const std::string& folder) {
    std::vector<std::string> arguments{"-i", image.string()};
    arguments.insert(arguments.end(), files.begin(), files.end());
    arguments.push_back("::" + folder);
    mustRun("/usr/bin/mcopy", arguments);
}

void formatFat32(const fs::path& image, std::optional<std::int64_t> createKiB) {
    std::vector<std::string> arguments{"-F", "32", "-S", "512"};
    if (createKiB) arguments.push_back("-C");
    arguments.push_back(image.string());
    if (createKiB) arguments.push_back(std::to_string(*createKiB));
    mustRun("/usr/sbin/mkfs.vfat", arguments);
}

// The image (built when absent) and the originals' bytes, which are rebuilt the same way each run.
std::pair<fs::path, std::vector<Bytes>> quickFormattedImage(const fs::path& cache, std::int64_t mebibytes) {
    fs::create_directories(cache);
    const fs::path image = cache / ("deep_scan_3000_photos_" + std::to_string(mebibytes) + "MiB.img");
    const fs::path work = cache / "deep_scan.work";
    fs::remove_all(work);
    fs::create_directories(work);
    const Bytes jpeg = ffmpegImage(work, "jpg", "320x240");
    const Bytes png = ffmpegImage(work, "png", "160x120");
    const bool build = !fs::exists(image);
    const fs::path building = work / "image";
    if (build) {
        std::cout << "Building " << image << " (once)..." << std::endl;
        formatFat32(building, mebibytes * 1024);
        mustRun("/usr/bin/mmd", {"-i", building.string(), "::DCIM"});
        for (int folder = 0; folder < folderCount; ++folder)
            mustRun("/usr/bin/mmd", {"-i", building.string(), numbered("::DCIM/1", folder, 2) + "TEST"});
    }
    std::vector<Bytes> originals;
    const auto stage = [&](int first, int count, const std::string& folder) {
        const std::vector<std::string> files = stageCopies(work / "staging", build, first, count, jpeg, png, originals);
        if (build) copyInto(building, files, folder);
    };
    stage(0, rootFileCount, "/");
    for (int folder = 0; folder < folderCount; ++folder)
        stage(rootFileCount + folder * filesPerFolder, filesPerFolder, numbered("DCIM/1", folder, 2) + "TEST/");
    if (build) {
        formatFat32(building, std::nullopt);  // the quick format: new tables over the old data area
        fs::rename(building, image);
    }
    fs::remove_all(work);
    return {image, originals};
}

// Drops the page cache when this process may (root); says so either way.
bool dropCaches() {
    ::sync();
    std::ofstream control("/proc/sys/vm/drop_caches");
    control << "3\n";
    control.flush();
    return static_cast<bool>(control);
}

struct Side {
    double seconds = 0;
    std::size_t filesWritten = 0;
    std::size_t originalsIdentical = 0;
};

// Counts the files below `folder` and the distinct originals among them.
void countOutput(const fs::path& folder, const std::vector<Bytes>& originals, Side& side) {
    std::unordered_set<std::string_view> wanted(originals.begin(), originals.end());
    std::unordered_set<Bytes> matched;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        ++side.filesWritten;
        Bytes bytes = readBytes(entry.path());
        if (wanted.contains(bytes)) matched.insert(std::move(bytes));
    }
    side.originalsIdentical = matched.size();
}

template <typename Work>
double timed(const Work& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

Side runOurs(const fs::path& image, const fs::path& destination) {
    Side side;
    side.seconds = timed([&] {
        const FileReader reader(image);
        const DeepScan::Result result = DeepScan::scan(reader, image.filename().string());
        DeepScan::exportCandidates(result.candidates(), reader, image.filename().string(), destination);
    });
    return side;
}

Side runPeer(const std::string& photorec, const fs::path& image, const fs::path& work) {
    Side side;
    CommandOutput output;
    side.seconds = timed([&] {
        output = CommandRunner::run(photorec, {"/log", "/d", (work / "out").string(), "/cmd", image.string(), "search"},
                                    work, std::nullopt, nullptr, 6 * 3600);
    });
    if (output.status != 0) throw std::runtime_error("photorec failed: " + output.combined());
    return side;
}

int run(std::int64_t mebibytes) {
    const std::optional<std::string> photorec = CommandRunner::programOnPath("photorec");
    if (!photorec) {
        std::cerr << "photorec is not installed (the testdisk package)\n";
        return 1;
    }
    const auto [image, originals] = quickFormattedImage(benchCache(), mebibytes);
    // Each round writes into folders of its own and the sides take turns going first: a file
    // system slows the creation of files just after many were deleted, so no measured round
    // follows a deletion and neither side always meets the other's write-back.
    constexpr int rounds = 4;
    std::vector<fs::path> folders;
    Side ours;
    Side peer;
    ours.seconds = peer.seconds = 1e9;
    bool cold = true;
    for (int round = 0; round < rounds; ++round) {
        const fs::path oursFolder = benchCache() / ("deep_scan.ours." + std::to_string(round));
        const fs::path peerFolder = benchCache() / ("deep_scan.peer." + std::to_string(round));
        for (const fs::path& folder : {oursFolder, peerFolder}) {
            fs::remove_all(folder);
            fs::create_directories(folder);
            folders.push_back(folder);
        }
        auto runOursSide = [&] {
            cold = dropCaches() && cold;
            ours.seconds = std::min(ours.seconds, runOurs(image, oursFolder).seconds);
        };
        auto runPeerSide = [&] {
            cold = dropCaches() && cold;
            peer.seconds = std::min(peer.seconds, runPeer(*photorec, image, peerFolder).seconds);
        };
        if (round % 2 == 0) {
            runOursSide();
            runPeerSide();
        } else {
            runPeerSide();
            runOursSide();
        }
    }
    countOutput(folders[0], originals, ours);
    countOutput(folders[1], originals, peer);
    for (const fs::path& folder : folders) fs::remove_all(folder);

    std::cout << "Image: " << mebibytes << " MiB FAT32, quick-formatted over " << originals.size() << " photos ("
              << rootFileCount << " in the old root); page cache "
              << (cold ? "dropped before each side" : "NOT dropped (not permitted)") << "; best of " << rounds
              << " rounds, the sides taking turns going first\n"
              << "Tidewell deep scan + export: " << ours.seconds << " s, " << ours.filesWritten << " files written, "
              << ours.originalsIdentical << " originals byte-identical\n"
              << "photorec:                    " << peer.seconds << " s, " << peer.filesWritten
              << " files written (its log and report included), " << peer.originalsIdentical
              << " originals byte-identical\n"
              << "ratio (Tidewell / photorec): " << ours.seconds / peer.seconds << " (target at most 1.0)\n";
    return 0;
}

}  // namespace
}  // namespace tidewell::bench

int main(int argc, char** argv) {
    const std::int64_t mebibytes = argc > 1 ? std::stoll(argv[1]) : 2048;
    return tidewell::bench::run(mebibytes);
}
