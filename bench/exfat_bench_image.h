#pragma once

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace tidewell::bench {

// Fills an image made by mkfs.exfat with directories and files written
// directly, as an exFAT driver would: entry sets with a correct set checksum
// and name hash, every directory and file stored without a chain in clusters
// taken in order from the free area, bitmap bits set for live data and left
// clear for deleted files. Holds the whole image in memory until save().
class ExFATBenchImage {
public:
    struct Directory {
        std::uint32_t firstCluster = 0;
        std::size_t slots = 0;  // 32-byte entries the directory has room for
        std::size_t nextSlot = 0;
    };

    explicit ExFATBenchImage(const std::filesystem::path& path) : path_(path) {
        std::ifstream in(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), {});
        readGeometry();
    }

    Directory& root() { return root_; }

    // A directory with room for `entries` 32-byte entries.
    Directory makeDirectory(Directory& parent, const std::string& name, std::size_t entries) {
        std::int64_t length =
            (static_cast<std::int64_t>(entries) * 32 + bytesPerCluster_ - 1) / bytesPerCluster_ * bytesPerCluster_;
        std::uint32_t first = takeClusters(length, true);
        writeEntrySet(parent, name, 0x10, first, length, false);
        return {first, static_cast<std::size_t>(length / 32), 0};
    }

    void addFile(Directory& directory, const std::string& name, const std::vector<std::uint8_t>& data, bool deleted) {
        std::uint32_t first = takeClusters(static_cast<std::int64_t>(data.size()), !deleted);
        std::copy(data.begin(), data.end(), bytes_.begin() + offset(first));
        writeEntrySet(directory, name, 0x20, first, static_cast<std::int64_t>(data.size()), deleted);
    }

    void save() const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
        if (!out) throw std::runtime_error("could not write " + path_.string());
    }

private:
    std::uint32_t u32(std::int64_t at) const {
        return bytes_.at(static_cast<std::size_t>(at)) | bytes_[static_cast<std::size_t>(at) + 1] << 8 |
               bytes_[static_cast<std::size_t>(at) + 2] << 16 |
               static_cast<std::uint32_t>(bytes_[static_cast<std::size_t>(at) + 3]) << 24;
    }

    std::int64_t offset(std::uint32_t cluster) const {
        return heapOffset_ + (static_cast<std::int64_t>(cluster) - 2) * bytesPerCluster_;
    }

    void readGeometry() {
        if (bytes_.size() < 512) throw std::runtime_error("image too small");
        std::int64_t bytesPerSector = std::int64_t{1} << bytes_[108];
        bytesPerCluster_ = bytesPerSector << bytes_[109];
        heapOffset_ = u32(88) * bytesPerSector;
        clusterCount_ = u32(92);
        std::uint32_t rootCluster = u32(96);
        root_ = {rootCluster, static_cast<std::size_t>(bytesPerCluster_ / 32), 0};
        std::int64_t bitmapEntry = offset(rootCluster);
        while (bytes_.at(static_cast<std::size_t>(bitmapEntry)) != 0x81) bitmapEntry += 32;
        bitmapOffset_ = offset(u32(bitmapEntry + 20));
        while (bytes_.at(
                   static_cast<std::size_t>(offset(rootCluster) + static_cast<std::int64_t>(root_.nextSlot) * 32)) != 0)
            ++root_.nextSlot;
        nextFree_ = rootCluster + 1;
        while (isUsed(nextFree_)) ++nextFree_;
    }

    bool isUsed(std::uint32_t cluster) const {
        return (bytes_.at(static_cast<std::size_t>(bitmapOffset_ + (cluster - 2) / 8)) >> ((cluster - 2) % 8)) & 1;
    }

    // Clusters are handed out once, in order, whether a file keeps them or not.
    std::uint32_t takeClusters(std::int64_t length, bool used) {
        auto count =
            static_cast<std::uint32_t>(std::max<std::int64_t>(1, (length + bytesPerCluster_ - 1) / bytesPerCluster_));
        if (nextFree_ + count > clusterCount_ + 2) throw std::runtime_error("image full");
        std::uint32_t first = nextFree_;
        for (std::uint32_t c = first; used && c < first + count; ++c)
            bytes_[static_cast<std::size_t>(bitmapOffset_ + (c - 2) / 8)] |=
                static_cast<std::uint8_t>(1 << ((c - 2) % 8));
        nextFree_ += count;
        return first;
    }

    static std::uint16_t rotateAdd(std::uint16_t sum, std::uint8_t byte) {
        return static_cast<std::uint16_t>(((sum & 1) ? 0x8000 : 0) + (sum >> 1) + byte);
    }

    static void put(std::vector<std::uint8_t>& set, std::size_t at, std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i)
            set[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }

    // File entry, stream extension (no-FAT-chain flag set) and name entries
    // for an ASCII name.
    static std::vector<std::uint8_t> entrySet(const std::string& name, std::uint16_t attributes, std::uint32_t first,
                                              std::int64_t length) {
        std::size_t nameEntries = (name.size() + 14) / 15;
        std::vector<std::uint8_t> set((2 + nameEntries) * 32, 0);
        set[0] = 0x85, set[1] = static_cast<std::uint8_t>(1 + nameEntries);
        put(set, 4, attributes, 2);
        for (std::size_t stamp : {8u, 12u, 16u})
            put(set, stamp, (46u << 25) | (12u << 21) | (6u << 16) | (10u << 11), 4);
        set[32] = 0xC0, set[33] = 0x03, set[35] = static_cast<std::uint8_t>(name.size());
        std::uint16_t hash = 0;
        for (char c : name) hash = rotateAdd(rotateAdd(hash, static_cast<std::uint8_t>(std::toupper(c))), 0);
        put(set, 36, hash, 2);
        put(set, 40, static_cast<std::uint64_t>(length), 8);
        put(set, 52, first, 4);
        put(set, 56, static_cast<std::uint64_t>(length), 8);
        for (std::size_t i = 0; i < name.size(); ++i) {
            std::size_t entry = 64 + (i / 15) * 32;
            set[entry] = 0xC1;
            set[entry + 2 + (i % 15) * 2] = static_cast<std::uint8_t>(name[i]);
        }
        std::uint16_t checksum = 0;
        for (std::size_t i = 0; i < set.size(); ++i)
            if (i != 2 && i != 3) checksum = rotateAdd(checksum, set[i]);
        put(set, 2, checksum, 2);
        return set;
    }

    void writeEntrySet(Directory& directory, const std::string& name, std::uint16_t attributes, std::uint32_t first,
                       std::int64_t length, bool deleted) {
        auto set = entrySet(name, attributes, first, length);
        if (deleted)
            for (std::size_t entry = 0; entry < set.size(); entry += 32) set[entry] &= 0x7F;
        if (directory.nextSlot + set.size() / 32 > directory.slots) throw std::runtime_error("directory full");
        std::int64_t at = offset(directory.firstCluster) + static_cast<std::int64_t>(directory.nextSlot) * 32;
        std::copy(set.begin(), set.end(), bytes_.begin() + at);
        directory.nextSlot += set.size() / 32;
    }

    std::filesystem::path path_;
    std::vector<std::uint8_t> bytes_;
    std::int64_t bytesPerCluster_ = 0, heapOffset_ = 0, bitmapOffset_ = 0;
    std::uint32_t clusterCount_ = 0, nextFree_ = 0;
    Directory root_;
};

}  // namespace tidewell::bench
