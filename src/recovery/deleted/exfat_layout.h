#pragma once

#include <cstdint>
#include <span>

#include "recovery/deleted/raw_reader.h"

namespace tidewell::ExFATDeletedRecoveryEngine {

// The geometry of an exFAT volume, from its boot sector.
struct Layout {
    std::int64_t bytesPerSector = 0;     // 2 ^ byte 108
    std::int64_t sectorsPerCluster = 0;  // 2 ^ byte 109
    std::int64_t fatOffsetSectors = 0;
    std::int64_t fatLengthSectors = 0;
    std::int64_t clusterHeapOffsetSectors = 0;
    std::int64_t clusterCount = 0;
    std::uint32_t rootDirectoryCluster = 0;
    std::int64_t numberOfFATs = 0;

    std::int64_t bytesPerCluster() const { return bytesPerSector * sectorsPerCluster; }
    std::int64_t fatOffset() const { return fatOffsetSectors * bytesPerSector; }
    std::int64_t fatByteCount() const { return fatLengthSectors * bytesPerSector; }
    std::int64_t offset(std::uint32_t cluster) const {
        return (clusterHeapOffsetSectors + (static_cast<std::int64_t>(cluster) - 2) * sectorsPerCluster) *
               bytesPerSector;
    }
    // True for 2 ≤ cluster < clusterCount + 2.
    bool isDataCluster(std::int64_t cluster) const { return cluster >= 2 && cluster < clusterCount + 2; }

    bool operator==(const Layout&) const = default;
};

// Checks the boot sector in a fixed order (name field, geometry, table size)
// and throws unsupportedSource with the first failing check's message.
Layout parseLayout(std::span<const std::uint8_t> bootSector);
Layout readLayout(const RawReader& reader);

}  // namespace tidewell::ExFATDeletedRecoveryEngine
