#include "recovery/deleted/exfat_layout.h"

#include <algorithm>
#include <string_view>

#include "recovery/deleted/deleted_recovery_limits.h"
#include "recovery/deleted/little_endian_bytes.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell::ExFATDeletedRecoveryEngine {

namespace {

using FATDeletedRecoveryEngine::RecoveryError;

constexpr std::size_t bootSectorSize = 512;
// exFAT clusters are at most 32 MiB (sector and cluster shifts add up to 25
// at most); larger shifts would overflow every offset computed from them.
constexpr int maximumClusterShift = 25;

void requireExFATName(std::span<const std::uint8_t> bootSector) {
    constexpr std::string_view name = "EXFAT   ";
    bool named = bootSector.size() >= bootSectorSize &&
                 std::equal(name.begin(), name.end(), bootSector.begin() + 3,
                            [](char n, std::uint8_t b) { return static_cast<std::uint8_t>(n) == b; });
    if (!named)
        throw RecoveryError::unsupportedSource("The selected source does not contain a readable exFAT boot sector.");
}

void unsupportedGeometry() {
    throw RecoveryError::unsupportedSource("The exFAT boot sector is incomplete or uses unsupported geometry.");
}

}  // namespace

Layout parseLayout(std::span<const std::uint8_t> bootSector) {
    requireExFATName(bootSector);
    LittleEndianBytes fields(bootSector);
    int sectorShift = fields.u8(108), clusterShift = fields.u8(109);
    if (sectorShift < 9 || sectorShift > 12 || sectorShift + clusterShift > maximumClusterShift) unsupportedGeometry();
    Layout layout;
    layout.bytesPerSector = std::int64_t{1} << sectorShift;
    layout.sectorsPerCluster = std::int64_t{1} << clusterShift;
    layout.fatOffsetSectors = fields.u32(80);
    layout.fatLengthSectors = fields.u32(84);
    layout.clusterHeapOffsetSectors = fields.u32(88);
    layout.clusterCount = fields.u32(92);
    layout.rootDirectoryCluster = fields.u32(96);
    layout.numberOfFATs = fields.u8(110);
    if (layout.fatOffsetSectors == 0 || layout.fatLengthSectors == 0 ||
        layout.fatOffsetSectors >= layout.clusterHeapOffsetSectors || layout.clusterCount == 0 ||
        layout.rootDirectoryCluster < 2 || layout.numberOfFATs == 0)
        unsupportedGeometry();
    if (layout.fatByteCount() > FATDeletedRecoveryEngine::Limits::maximumFATBytes)
        throw RecoveryError::unsupportedSource(
            "This exFAT allocation table is too large for the current safe recovery pass.");
    return layout;
}

Layout readLayout(const RawReader& reader) {
    return parseLayout(reader.read(0, bootSectorSize));
}

}  // namespace tidewell::ExFATDeletedRecoveryEngine
