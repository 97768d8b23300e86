// Times the exFAT deleted-entry scan against The Sleuth Kit's `fls -r -d` on
// the same image: 10 group folders of 100 folders of 100 files (about 101,000
// entries), every 25th file deleted: 4,000 candidates, below the engine's cap
// on candidates, so that both tools walk the whole volume. mkfs.exfat makes the empty volume; the
// folders and files are then written straight into the image (contiguous,
// no FAT chain, as a driver stores them), which takes seconds where a mount
// would need privileges. The image is kept in the cache folder
// ($TIDEWELL_BENCH_CACHE, else /tmp/tidewell-bench).
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "deleted_scan_bench.h"
#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "sample_entries.h"
#include "support/exfat_entry_set_bytes.h"
#include "support/exfat_geometry.h"

namespace {

namespace fs = std::filesystem;
using tidewell::bench::mustRun;
using tidewell::testing::exfatClusterUsed;
using tidewell::testing::ExFATGeometry;
using tidewell::testing::exfatU32;
using tidewell::testing::markExFATClusterUsed;

constexpr int groupCount = 10;
constexpr int foldersPerGroup = 100;
constexpr int filesPerFolder = 100;
constexpr std::uint32_t folderClusters = 3;  // 100 entry sets of 96 bytes each
constexpr std::uintmax_t imageBytes = 512ull * 1024 * 1024;

using tidewell::bench::numbered;
using tidewell::bench::tinyPNG;

// The bytes of one file or folder entry set, stored without a FAT chain.
std::vector<std::uint8_t> entrySet(const std::string& name, bool folder, std::uint32_t first, std::int64_t length,
                                   bool deleted) {
    return tidewell::testing::exfatEntrySetBytes(name, folder ? 0x10 : 0x20, first, length, true, deleted);
}

// Writes folders and files into a freshly made exFAT image, handing out
// clusters in order and keeping the allocation bitmap in memory until done.
class ImageWriter {
public:
    explicit ImageWriter(const fs::path& path) : file_(path, std::ios::binary | std::ios::in | std::ios::out) {
        geometry_ = ExFATGeometry::read(read(0, 512));
        std::vector<std::uint8_t> root = read(offset(geometry_.rootCluster), geometry_.bytesPerCluster);
        for (std::size_t at = 0; at < root.size(); at += 32) {
            if (root[at] == 0x81) bitmapOffset_ = offset(exfatU32(root, at + 20));
            if (root[at] == 0) {
                rootSlot_ = static_cast<std::int64_t>(at);
                break;
            }
        }
        bitmap_ = read(bitmapOffset_, (geometry_.clusterCount + 7) / 8);
        for (std::uint32_t cluster = 2; cluster < geometry_.clusterCount + 2; ++cluster)
            if (exfatClusterUsed(bitmap_, cluster)) nextFree_ = cluster + 1;
    }

    std::int64_t bytesPerCluster() const { return geometry_.bytesPerCluster; }

    // Adds an entry to the root folder (one cluster, enough for the groups).
    void addToRoot(const std::vector<std::uint8_t>& set) {
        write(offset(geometry_.rootCluster) + rootSlot_, set);
        rootSlot_ += static_cast<std::int64_t>(set.size());
    }

    std::uint32_t take(std::uint32_t count, bool used) {
        std::uint32_t first = nextFree_;
        if (first + count > geometry_.clusterCount + 2) throw std::runtime_error("image too small");
        for (std::uint32_t i = 0; used && i < count; ++i) markExFATClusterUsed(bitmap_, first + i);
        nextFree_ += count;
        return first;
    }

    void write(std::int64_t at, const std::vector<std::uint8_t>& bytes) {
        file_.seekp(at);
        file_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

    std::int64_t offset(std::uint32_t cluster) const { return geometry_.offset(cluster); }

    void finish() {
        write(bitmapOffset_, bitmap_);
        file_.close();
        if (file_.fail()) throw std::runtime_error("writing the image failed");
    }

private:
    std::vector<std::uint8_t> read(std::int64_t at, std::int64_t count) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
        file_.seekg(at);
        file_.read(reinterpret_cast<char*>(bytes.data()), count);
        return bytes;
    }

    std::fstream file_;
    ExFATGeometry geometry_;
    std::int64_t bitmapOffset_ = 0, rootSlot_ = 0;
    std::uint32_t nextFree_ = 0;
    std::vector<std::uint8_t> bitmap_;
};

void addFolder(ImageWriter& image, std::int64_t folderAt) {
    std::vector<std::uint8_t> entries;
    for (int f = 0; f < filesPerFolder; ++f) {
        bool deleted = f % 25 == 0;
        std::uint32_t data = image.take(1, !deleted);
        image.write(image.offset(data), tinyPNG);
        auto set =
            entrySet(numbered("F", f, 3) + ".PNG", false, data, static_cast<std::int64_t>(tinyPNG.size()), deleted);
        entries.insert(entries.end(), set.begin(), set.end());
    }
    image.write(folderAt, entries);
}

fs::path buildImage(const fs::path& cache) {
    fs::create_directories(cache);
    auto image = cache / "exfat_scan.img";
    if (fs::exists(image)) return image;
    std::cout << "Building " << image << " (once)..." << std::endl;
    auto building = cache / "exfat_scan.building";
    fs::remove(building);
    std::ofstream(building).close();
    fs::resize_file(building, imageBytes);
    mustRun("/usr/sbin/mkfs.exfat", {"-c", "4K", building.string()}, "mkfs.exfat failed");
    ImageWriter writer(building);
    const std::int64_t folderBytes = folderClusters * writer.bytesPerCluster();
    for (int g = 0; g < groupCount; ++g) {
        std::uint32_t group = writer.take(folderClusters, true);
        writer.addToRoot(entrySet(numbered("G", g, 1), true, group, folderBytes, false));
        std::vector<std::uint8_t> groupEntries;
        for (int d = 0; d < foldersPerGroup; ++d) {
            std::uint32_t folder = writer.take(folderClusters, true);
            auto set = entrySet(numbered("D", d, 3), true, folder, folderBytes, false);
            groupEntries.insert(groupEntries.end(), set.begin(), set.end());
            addFolder(writer, writer.offset(folder));
        }
        writer.write(writer.offset(group), groupEntries);
    }
    writer.finish();
    mustRun("/usr/sbin/fsck.exfat", {"-n", building.string()}, "fsck.exfat rejects the image");
    fs::rename(building, image);
    return image;
}

}  // namespace

int main() {
    auto image = buildImage(tidewell::bench::benchCache());
    return tidewell::bench::compareWithFls([&] { return tidewell::ExFATDeletedRecoveryEngine::scanImage(image); },
                                           image, "exfat", 3);
}
