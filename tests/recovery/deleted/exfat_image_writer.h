#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "recovery/deleted/fat32_image_fixture.h"
#include "support/exfat_entry_set_bytes.h"
#include "support/exfat_geometry.h"
#include "support/temporary_folder.h"

namespace tidewell::testing {

struct ExFATFileOptions {
    bool deleted = false;
    bool noFATChain = true;
    bool markClustersUsed = false;  // for a deleted file: its clusters were taken again
};

// A 32 MiB exFAT image made by mkfs.exfat (4 KiB clusters), into which this
// writer puts directories and files itself, as an exFAT driver would: entry
// sets with a correct set checksum and name hash, data in clusters it takes
// from the free area, bitmap bits set for live data and left clear for
// deleted files. fsck.exfat -n accepts the result.
class ExFATImage {
public:
    struct Directory {
        std::vector<std::uint32_t> clusters;
        std::size_t nextSlot = 0;
    };
    using FileOptions = ExFATFileOptions;

    ExFATImage() : path_(folder_ / "card.img") {
        writeFile(path_, "");
        std::filesystem::resize_file(path_, 32 * 1024 * 1024);
        if (runTool("mkfs.exfat", {path_.string()}) != 0) throw std::runtime_error("mkfs.exfat failed");
        bytes_ = fileBytes(path_);
        readGeometry();
    }

    const std::filesystem::path& path() const { return path_; }
    std::int64_t bytesPerCluster() const { return geometry_.bytesPerCluster; }
    Directory& root() { return root_; }

    // A subdirectory of one cluster, stored without a chain unless told otherwise.
    Directory makeDirectory(Directory& parent, const std::string& name, bool noFATChain = true, int clusters = 1) {
        std::uint32_t first = takeClusters(clusters, true);
        if (!noFATChain) chainClusters(first, clusters);
        std::int64_t length = clusters * bytesPerCluster();
        writeEntrySet(parent, name, 0x10, first, length, noFATChain, false);
        Directory directory;
        for (int i = 0; i < clusters; ++i) directory.clusters.push_back(first + static_cast<std::uint32_t>(i));
        return directory;
    }

    // Stores the file's bytes in fresh clusters; returns its first cluster.
    std::uint32_t addFile(Directory& directory, const std::string& name, const std::vector<std::uint8_t>& data,
                          FileOptions options = {}) {
        int clusters =
            static_cast<int>((static_cast<std::int64_t>(data.size()) + bytesPerCluster() - 1) / bytesPerCluster());
        std::uint32_t first = takeClusters(clusters, !options.deleted || options.markClustersUsed);
        if (!options.noFATChain && !options.deleted) chainClusters(first, clusters);
        std::copy(data.begin(), data.end(), bytes_.begin() + offset(first));
        writeEntrySet(directory, name, 0x20, first, static_cast<std::int64_t>(data.size()), options.noFATChain,
                      options.deleted);
        return first;
    }

    std::int64_t offset(std::uint32_t cluster) const { return geometry_.offset(cluster); }

    // Writes everything to the image file.
    void save() { writeFile(path_, std::string(bytes_.begin(), bytes_.end())); }

    // Byte offset of the root directory's entry of the given type (0x81 bitmap).
    std::int64_t rootEntryOffset(std::uint8_t type) const {
        for (std::int64_t at = offset(geometry_.rootCluster);; at += 32)
            if (bytes_[at] == type) return at;
    }

private:
    void put(std::size_t at, std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i) bytes_[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }

    void readGeometry() {
        geometry_ = ExFATGeometry::read(bytes_);
        root_.clusters = {geometry_.rootCluster};
        std::int64_t bitmapEntry = rootEntryOffset(0x81);
        bitmapOffset_ = offset(exfatU32(bytes_, bitmapEntry + 20));
        while (bytes_[offset(geometry_.rootCluster) + static_cast<std::int64_t>(root_.nextSlot) * 32] != 0)
            ++root_.nextSlot;
        nextFree_ = geometry_.rootCluster + 1;
        while (exfatClusterUsed(bitmap(), nextFree_)) ++nextFree_;
    }

    std::span<std::uint8_t> bitmap() { return std::span(bytes_).subspan(static_cast<std::size_t>(bitmapOffset_)); }

    // Clusters are handed out once, in order, whether a file keeps them or not.
    std::uint32_t takeClusters(int count, bool used) {
        std::uint32_t first = nextFree_;
        for (int i = 0; i < count; ++i) {
            std::fill_n(bytes_.begin() + offset(first + i), bytesPerCluster(), 0);
            if (used) markExFATClusterUsed(bitmap(), first + static_cast<std::uint32_t>(i));
        }
        nextFree_ += static_cast<std::uint32_t>(count);
        return first;
    }

    void chainClusters(std::uint32_t first, int count) {
        for (int i = 0; i < count; ++i)
            put(geometry_.fatOffset + (first + i) * 4, i + 1 < count ? first + i + 1 : 0xFFFFFFFF, 4);
    }

    void writeEntrySet(Directory& directory, const std::string& name, std::uint16_t attributes, std::uint32_t first,
                       std::int64_t length, bool noFATChain, bool deleted) {
        placeInDirectory(directory, exfatEntrySetBytes(name, attributes, first, length, noFATChain, deleted));
    }

    void placeInDirectory(Directory& directory, const std::vector<std::uint8_t>& set) {
        std::size_t perCluster = static_cast<std::size_t>(bytesPerCluster()) / 32;
        for (std::size_t entry = 0; entry < set.size() / 32; ++entry, ++directory.nextSlot) {
            std::uint32_t cluster = directory.clusters.at(directory.nextSlot / perCluster);
            std::int64_t at = offset(cluster) + static_cast<std::int64_t>(directory.nextSlot % perCluster) * 32;
            std::copy_n(set.begin() + static_cast<std::ptrdiff_t>(entry * 32), 32, bytes_.begin() + at);
        }
    }

    TemporaryFolder folder_;
    std::filesystem::path path_;
    std::vector<std::uint8_t> bytes_;
    ExFATGeometry geometry_;
    std::int64_t bitmapOffset_ = 0;
    std::uint32_t nextFree_ = 0;
    Directory root_;
};

}  // namespace tidewell::testing
