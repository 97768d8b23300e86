#pragma once

#include <cstdint>
#include <span>

namespace tidewell::testing {

// The little-endian 32-bit number at `at`.
inline std::uint32_t exfatU32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// Where an exFAT volume keeps its FAT, cluster heap and root folder, as its
// boot sector gives them; for the writers that build test and bench images.
struct ExFATGeometry {
    std::int64_t bytesPerCluster = 0, fatOffset = 0, heapOffset = 0;
    std::uint32_t clusterCount = 0, rootCluster = 0;

    // `boot` holds at least the volume's first 512 bytes.
    static ExFATGeometry read(std::span<const std::uint8_t> boot) {
        const std::int64_t bytesPerSector = std::int64_t{1} << boot[108];
        return {.bytesPerCluster = bytesPerSector << boot[109],
                .fatOffset = exfatU32(boot, 80) * bytesPerSector,
                .heapOffset = exfatU32(boot, 88) * bytesPerSector,
                .clusterCount = exfatU32(boot, 92),
                .rootCluster = exfatU32(boot, 96)};
    }

    // The byte offset of a heap cluster (the first is cluster 2).
    std::int64_t offset(std::uint32_t cluster) const {
        return heapOffset + (static_cast<std::int64_t>(cluster) - 2) * bytesPerCluster;
    }
};

// The cluster's bit in the allocation bitmap.
inline bool exfatClusterUsed(std::span<const std::uint8_t> bitmap, std::uint32_t cluster) {
    return (bitmap[(cluster - 2) / 8] >> ((cluster - 2) % 8)) & 1;
}
inline void markExFATClusterUsed(std::span<std::uint8_t> bitmap, std::uint32_t cluster) {
    bitmap[(cluster - 2) / 8] |= static_cast<std::uint8_t>(1 << ((cluster - 2) % 8));
}

}  // namespace tidewell::testing
