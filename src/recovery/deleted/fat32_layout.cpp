#include "recovery/deleted/fat32_layout.h"

#include <algorithm>
#include <array>

#include "recovery/deleted/deleted_recovery_limits.h"
#include "recovery/deleted/little_endian_bytes.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell::FATDeletedRecoveryEngine {

namespace {

constexpr std::size_t bootSectorSize = 512;

void requireBootSignature(std::span<const std::uint8_t> bootSector) {
    if (bootSector.size() < bootSectorSize || bootSector[510] != 0x55 || bootSector[511] != 0xAA)
        throw RecoveryError::unsupportedSource("The selected source does not contain a readable FAT boot sector.");
}

void requireSupportedGeometry(const Layout& layout, std::int64_t totalSectors) {
    constexpr std::array<std::int64_t, 4> sectorSizes{512, 1024, 2048, 4096};
    bool sectorSizeOK = std::find(sectorSizes.begin(), sectorSizes.end(), layout.bytesPerSector) != sectorSizes.end();
    // sectorsPerCluster need not be a power of two.
    if (!sectorSizeOK || layout.sectorsPerCluster <= 0 || layout.reservedSectors <= 0 || layout.fatCount <= 0 ||
        layout.sectorsPerFAT <= 0 || totalSectors < 1)
        throw RecoveryError::unsupportedSource("The FAT boot sector is incomplete or uses an unsupported geometry.");
}

}  // namespace

Layout parseLayout(std::span<const std::uint8_t> bootSector) {
    requireBootSignature(bootSector);
    LittleEndianBytes fields(bootSector);
    Layout layout;
    layout.bytesPerSector = fields.u16(11);
    layout.sectorsPerCluster = fields.u8(13);
    layout.reservedSectors = fields.u16(14);
    layout.fatCount = fields.u8(16);
    layout.sectorsPerFAT = fields.u16(22) != 0 ? fields.u16(22) : fields.u32(36);
    layout.rootCluster = fields.u32(44);
    std::int64_t totalSectors = fields.u16(19) != 0 ? fields.u16(19) : fields.u32(32);
    std::int64_t rootEntryCount = fields.u16(17);
    requireSupportedGeometry(layout, totalSectors);

    std::int64_t rootDirectorySectors = (rootEntryCount * 32 + layout.bytesPerSector - 1) / layout.bytesPerSector;
    layout.firstDataSector = layout.reservedSectors + layout.fatCount * layout.sectorsPerFAT + rootDirectorySectors;
    layout.clusterCount = (totalSectors - layout.firstDataSector) / layout.sectorsPerCluster;
    layout.fatOffset = layout.reservedSectors * layout.bytesPerSector;
    layout.fatByteCount = layout.sectorsPerFAT * layout.bytesPerSector;

    if (layout.clusterCount < 65'525 || layout.rootCluster < 2)
        throw RecoveryError::unsupportedSource(
            "Deleted-file recovery currently supports FAT32 media. This source is FAT12/FAT16 or not a supported "
            "FAT32 volume.");
    if (layout.fatByteCount > Limits::maximumFATBytes)
        throw RecoveryError::unsupportedSource(
            "This FAT32 allocation table is too large for the current safe recovery pass.");
    return layout;
}

Layout readLayout(const RawReader& reader) {
    return parseLayout(reader.read(0, bootSectorSize));
}

}  // namespace tidewell::FATDeletedRecoveryEngine
