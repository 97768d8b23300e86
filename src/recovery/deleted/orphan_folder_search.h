#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "recovery/deleted/orphan_folders.h"
#include "recovery/deleted/recovery_error.h"

// The format-specific halves of the found-folder search and what they share.
namespace tidewell::OrphanFolderRecovery::detail {

// What one format's search found: folders with their records, not yet placed
// in a tree, and how the current file system allocates clusters.
struct FormatSearch {
    std::string sourceFormat;
    Geometry geometry;
    std::vector<FoundFolder> folders;  // cluster and entries only
    // True when the current file system leaves the whole run unallocated.
    std::function<bool(std::uint32_t start, std::int64_t count)> isFreeRun;
    // Result::isInUse: set only when the current boot sector and its table or bitmap were read.
    std::function<bool(std::uint32_t cluster)> isInUse;
    std::int64_t entriesChecked = 0;
};

struct SearchContext {
    const RawReader& reader;
    const RecoveryCancellationToken* cancellationToken;
    const ProgressCallback& progress;
    const ReadObserver& observeRead;
};

std::int64_t readableClusterCount(const RawReader& reader, std::int64_t dataOffset, std::int64_t bytesPerCluster,
                                  std::int64_t clusterCount);

// None when the source has no FAT32 (exFAT) boot sector or backup to take the geometry from.
std::optional<FormatSearch> searchFAT32(const SearchContext& context);
std::optional<FormatSearch> searchExFAT(const SearchContext& context);
// FAT32 without any boot sector: the geometry the folder openings agree on.
std::optional<FormatSearch> inferFAT32(const SearchContext& context);

// The layout `parse` reads from the boot sector, else from the backup at
// sector `backupSector` (tried for each sector size); none when neither parses.
template <typename Layout, typename Parse>
std::optional<std::pair<Layout, GeometrySource>> findLayout(const RawReader& reader, std::int64_t backupSector,
                                                            Parse parse) {
    auto layoutAt = [&](std::int64_t offset) -> std::optional<Layout> {
        try {
            return parse(reader.read(offset, 512));
        } catch (const DeletedRecovery::RecoveryError&) {
            return std::nullopt;
        }
    };
    if (auto layout = layoutAt(0)) return std::pair{*layout, GeometrySource::bootSector};
    for (std::int64_t sectorSize : {512, 1024, 2048, 4096})
        if (auto layout = layoutAt(backupSector * sectorSize); layout && layout->bytesPerSector == sectorSize)
            return std::pair{*layout, GeometrySource::backupBootSector};
    return std::nullopt;
}

// The geometry of a layout's data area, cut to the clusters wholly inside the
// readable source: a truncated image keeps only what it still holds.
template <typename Layout>
Geometry geometryOf(const RawReader& reader, const Layout& layout, GeometrySource source) {
    Geometry geometry{.bytesPerCluster = layout.bytesPerCluster(), .dataOffset = layout.offset(2), .source = source};
    geometry.clusterCount =
        readableClusterCount(reader, geometry.dataOffset, geometry.bytesPerCluster, layout.clusterCount);
    return geometry;
}

// Calls `visit` with each data cluster's number and bytes, in order, reading
// searchReadBytes at a time; checks cancellation and reports progress per read.
void forEachCluster(const SearchContext& context, const Geometry& geometry,
                    const std::function<void(std::uint32_t cluster, std::span<const std::uint8_t> bytes)>& visit);

// A FAT date and time (also exFAT's); none when the date is no calendar day.
std::optional<std::chrono::system_clock::time_point> dosTimestamp(std::uint16_t date, std::uint16_t time);

}  // namespace tidewell::OrphanFolderRecovery::detail
