#pragma once

#include <cstdint>
#include <span>

#include "recovery/deleted/raw_reader.h"

namespace tidewell::FATDeletedRecoveryEngine {

// The geometry of a FAT32 volume, from its boot sector.
struct Layout {
    std::int64_t bytesPerSector = 0;
    std::int64_t sectorsPerCluster = 0;
    std::int64_t reservedSectors = 0;
    std::int64_t fatCount = 0;
    std::int64_t sectorsPerFAT = 0;
    std::uint32_t rootCluster = 0;
    std::int64_t firstDataSector = 0;
    std::int64_t clusterCount = 0;  // negative when the data area would start past the volume
    std::int64_t fatOffset = 0;     // byte offset of the first allocation table
    std::int64_t fatByteCount = 0;

    std::int64_t bytesPerCluster() const { return bytesPerSector * sectorsPerCluster; }
    // Byte offset of a data cluster (numbered from 2).
    std::int64_t offset(std::uint32_t cluster) const {
        return (firstDataSector + (static_cast<std::int64_t>(cluster) - 2) * sectorsPerCluster) * bytesPerSector;
    }
    // True for 2 ≤ cluster < clusterCount + 2.
    bool isDataCluster(std::int64_t cluster) const { return cluster >= 2 && cluster < clusterCount + 2; }

    bool operator==(const Layout&) const = default;
};

// Checks the boot sector in a fixed order (end mark, geometry, FAT32 cluster
// count and root cluster, table size) and throws unsupportedSource with the
// first failing check's message.
Layout parseLayout(std::span<const std::uint8_t> bootSector);
Layout readLayout(const RawReader& reader);

}  // namespace tidewell::FATDeletedRecoveryEngine
