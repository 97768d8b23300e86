#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <set>

#include "recovery/deleted/exfat_allocation.h"
#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "recovery/deleted/exfat_entry_set.h"
#include "recovery/deleted/exfat_layout.h"
#include "recovery/deleted/little_endian_bytes.h"
#include "recovery/deleted/orphan_folder_search.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell::OrphanFolderRecovery::detail {

namespace {

namespace ExFAT = ExFATDeletedRecoveryEngine;
using Bytes = std::span<const std::uint8_t>;

constexpr std::int64_t backupBootSector = 12;
constexpr std::uint8_t streamExtensionCode = 0x40;
constexpr std::uint8_t fileNameCode = 0x41;
constexpr std::uint8_t typeCodeMask = 0x7F;
// A set holds at most 255 characters: 17 name entries and its stream extension.
constexpr int maximumSecondaryCount = 18;
constexpr std::int64_t maximumFolderBytes = 8'388'608;

// The number of bytes of the entry set at `offset` when it is whole and its
// set checksum holds: a file entry, its stream extension, then name entries.
// A deleted set is checked with the in-use bits it had when it was written.
std::optional<std::size_t> checkedSetLength(Bytes data, std::size_t offset) {
    if (offset + ExFAT::entrySize > data.size()) return std::nullopt;
    std::uint8_t type = data[offset];
    if ((type & typeCodeMask) != ExFAT::fileEntryCode) return std::nullopt;
    int secondaryCount = data[offset + 1];
    std::size_t length = static_cast<std::size_t>(secondaryCount + 1) * ExFAT::entrySize;
    if (secondaryCount < 2 || secondaryCount > maximumSecondaryCount || offset + length > data.size())
        return std::nullopt;
    std::uint8_t inUse = type & ExFAT::inUseBit;
    for (int i = 1; i <= secondaryCount; ++i) {
        std::uint8_t secondary = data[offset + static_cast<std::size_t>(i) * ExFAT::entrySize];
        std::uint8_t expected = i == 1 ? streamExtensionCode : fileNameCode;
        if ((secondary & typeCodeMask) != expected || (secondary & ExFAT::inUseBit) != inUse) return std::nullopt;
    }
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (i == 2 || i == 3) continue;
        std::uint8_t byte = data[offset + i];
        if (i % ExFAT::entrySize == 0) byte |= ExFAT::inUseBit;
        checksum = static_cast<std::uint16_t>(((checksum & 1) ? 0x8000 : 0) + (checksum >> 1) + byte);
    }
    if (checksum != LittleEndianBytes(data).u16(offset + 2)) return std::nullopt;
    return length;
}

bool holdsEntrySet(Bytes cluster) {
    for (std::size_t at = 0; at + ExFAT::entrySize <= cluster.size(); at += ExFAT::entrySize)
        if (checkedSetLength(cluster, at)) return true;
    return false;
}

// The checked sets that start inside the first `limit` bytes of `data`.
std::vector<FoundEntry> entriesOf(Bytes data, std::size_t limit, std::int64_t& entriesChecked) {
    std::vector<FoundEntry> entries;
    for (std::size_t at = 0; at < limit && at + ExFAT::entrySize <= data.size();) {
        if (data[at] == 0x00 || entriesChecked >= FATDeletedRecoveryEngine::Limits::maximumEntries) break;
        ++entriesChecked;
        auto length = checkedSetLength(data, at);
        auto set = length ? ExFAT::parseFileSet(data, at) : std::nullopt;
        if (!set) {
            at += ExFAT::entrySize;
            continue;
        }
        LittleEndianBytes fields(data);
        std::uint32_t modified = fields.u32(at + 12);
        entries.push_back(FoundEntry{
            .name = set->name,
            .isDirectory = set->isDirectory(),
            .isDeleted = (data[at] & ExFAT::inUseBit) == 0,
            .noFATChain = set->noFATChain,
            .firstCluster = set->firstCluster,
            .sizeBytes = set->dataLength,
            .modified = dosTimestamp(static_cast<std::uint16_t>(modified >> 16), static_cast<std::uint16_t>(modified)),
            .recordOffset = at,
        });
        at += *length;
    }
    return entries;
}

}  // namespace

std::optional<FormatSearch> searchExFAT(const SearchContext& context) {
    auto found = findLayout<ExFAT::Layout>(context.reader, backupBootSector,
                                           [](Bytes sector) { return ExFAT::parseLayout(sector); });
    if (!found) return std::nullopt;
    const auto& [layout, source] = *found;
    FormatSearch search;
    search.sourceFormat = "exFAT";
    search.geometry = geometryOf(context.reader, layout, source);
    const Geometry& geometry = search.geometry;

    std::optional<std::vector<std::uint8_t>> bitmap;
    // The current root is the new file system's own, not a found folder.
    std::set<std::uint32_t> currentRoot;
    try {
        auto table = ExFAT::readAllocationTable(layout, context.reader);
        for (std::uint32_t cluster : table.clustersForAllocation(layout.rootDirectoryCluster, std::nullopt, false,
                                                                 layout, maximumFolderBytes / layout.bytesPerCluster()))
            currentRoot.insert(cluster);
        bitmap = ExFAT::readAllocationBitmap(layout, table, context.reader, context.cancellationToken);
    } catch (const DeletedRecovery::RecoveryError& error) {
        if (error.errorCase() == DeletedRecovery::RecoveryError::Case::cancelled) throw;
        // No readable bitmap allocates nothing.
    }
    auto shared = bitmap ? std::make_shared<const std::vector<std::uint8_t>>(std::move(*bitmap)) : nullptr;
    search.isFreeRun = [shared](std::uint32_t start, std::int64_t count) {
        return !shared ? count > 0 : ExFAT::isFreeContiguousRun(start, count, *shared);
    };
    // A bitmap found through the backup boot sector belongs to a file system that no longer
    // mounts: the files it still allocates are as lost as the rest.
    if (shared && source == GeometrySource::bootSector)
        search.isInUse = [shared](std::uint32_t cluster) { return !ExFAT::isFreeContiguousRun(cluster, 1, *shared); };

    std::set<std::uint32_t> directoryClusters;
    forEachCluster(context, geometry, [&](std::uint32_t cluster, Bytes bytes) {
        if (directoryClusters.size() < maximumFoundFolders * 4 && !currentRoot.contains(cluster) &&
            holdsEntrySet(bytes))
            directoryClusters.insert(cluster);
    });

    // Each directory cluster's sets; the next cluster is read too for a set that runs over.
    std::map<std::uint32_t, std::vector<FoundEntry>> entriesByCluster;
    for (std::uint32_t cluster : directoryClusters) {
        DeletedRecovery::throwIfCancelled(context.cancellationToken);
        std::int64_t clusters = geometry.isDataCluster(static_cast<std::int64_t>(cluster) + 1) ? 2 : 1;
        auto bytes = context.reader.read(geometry.offset(cluster),
                                         static_cast<std::size_t>(clusters * geometry.bytesPerCluster));
        entriesByCluster[cluster] =
            entriesOf(bytes, static_cast<std::size_t>(geometry.bytesPerCluster), search.entriesChecked);
    }

    // A folder record's run claims the directory clusters it covers; a
    // directory cluster no record claims starts an unnamed folder, or
    // continues the unnamed one right before it.
    std::map<std::uint32_t, std::uint32_t> owner;
    for (const auto& [cluster, entries] : entriesByCluster)
        for (const FoundEntry& entry : entries) {
            if (!entry.isDirectory || !directoryClusters.contains(entry.firstCluster)) continue;
            std::int64_t length = std::clamp<std::int64_t>(entry.sizeBytes, 1, maximumFolderBytes);
            std::int64_t count = (length + geometry.bytesPerCluster - 1) / geometry.bytesPerCluster;
            for (std::int64_t i = 0; i < count; ++i) {
                auto covered = static_cast<std::uint32_t>(entry.firstCluster + i);
                if (!directoryClusters.contains(covered)) break;
                owner.try_emplace(covered, entry.firstCluster);
            }
        }
    std::set<std::uint32_t> unnamed;
    for (std::uint32_t cluster : directoryClusters) {
        if (owner.contains(cluster)) continue;
        bool continues = cluster > 0 && unnamed.contains(cluster - 1);
        owner[cluster] = continues ? owner.at(cluster - 1) : cluster;
        unnamed.insert(cluster);
    }

    std::map<std::uint32_t, FoundFolder> folders;
    for (auto& [cluster, entries] : entriesByCluster) {
        std::uint32_t start = owner.at(cluster);
        FoundFolder& folder = folders[start];
        if (folders.size() > maximumFoundFolders) {
            folders.erase(start);
            break;
        }
        folder.cluster = start;
        for (FoundEntry& entry : entries) {
            entry.recordOffset +=
                static_cast<std::size_t>((static_cast<std::int64_t>(cluster) - start) * geometry.bytesPerCluster);
            folder.entries.push_back(std::move(entry));
        }
    }
    for (auto& [cluster, folder] : folders) search.folders.push_back(std::move(folder));
    return search;
}

}  // namespace tidewell::OrphanFolderRecovery::detail
