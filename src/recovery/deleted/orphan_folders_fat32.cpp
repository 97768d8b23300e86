#include <algorithm>
#include <array>
#include <iterator>
#include <map>
#include <memory>
#include <set>

#include "recovery/deleted/deleted_recovery_limits.h"
#include "recovery/deleted/fat32_allocation_table.h"
#include "recovery/deleted/fat32_directory_record.h"
#include "recovery/deleted/fat32_layout.h"
#include "recovery/deleted/fat32_long_name.h"
#include "recovery/deleted/little_endian_bytes.h"
#include "recovery/deleted/orphan_folder_search.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell::OrphanFolderRecovery::detail {

namespace {

namespace Record = FATDeletedRecoveryEngine::DirectoryRecord;
using FATDeletedRecoveryEngine::Layout;
using Bytes = std::span<const std::uint8_t>;

constexpr std::int64_t backupBootSector = 6;
// A folder holds at most 65,536 records.
constexpr std::int64_t maximumFolderBytes = 65'536 * 32;

bool hasName(Bytes record, const char* name11) {
    return std::equal(record.begin(), record.begin() + 11, name11);
}

bool isDirectoryRecord(Bytes record) {
    std::uint8_t attributes = Record::attributes(record);
    return (attributes & Record::directoryBit) != 0 && (attributes & (0xC0 | Record::volumeLabelBit)) == 0;
}

// A folder's first cluster opens with "." naming that cluster and "..".
std::optional<std::uint32_t> parentOfFolderStart(Bytes cluster, std::uint32_t number, const Geometry& geometry) {
    if (cluster.size() < 2 * Record::size) return std::nullopt;
    Bytes dot = cluster.first(Record::size), dotDot = cluster.subspan(Record::size, Record::size);
    if (!hasName(dot, ".          ") || !hasName(dotDot, "..         ") || !isDirectoryRecord(dot) ||
        !isDirectoryRecord(dotDot) || Record::cluster(dot) != number)
        return std::nullopt;
    std::uint32_t parent = Record::cluster(dotDot);
    if (parent != 0 && !geometry.isDataCluster(parent)) return std::nullopt;
    return parent;
}

bool isPlausibleName(Bytes record) {
    std::uint8_t first = Record::firstByte(record);
    if (first < 0x20 && first != 0x05) return false;
    return std::all_of(record.begin() + 1, record.begin() + 11, [](std::uint8_t b) { return b >= 0x20; });
}

// Whether a record can belong to a folder at all: a record that cannot ends
// the folder (its next cluster holds something else).
bool isPlausibleRecord(Bytes record, const Geometry& geometry) {
    LittleEndianBytes fields(record);
    std::uint8_t attributes = Record::attributes(record);
    if (attributes == Record::longNameAttributes) return fields.u8(12) == 0 && fields.u16(26) == 0;
    if ((attributes & 0xC0) != 0 || !isPlausibleName(record)) return false;
    if (Record::firstByte(record) == Record::deletedMark) return true;
    std::uint32_t cluster = Record::cluster(record);
    if ((attributes & Record::volumeLabelBit) != 0) return true;
    // ".." names the root as cluster 0.
    if ((attributes & Record::directoryBit) != 0)
        return Record::fileSize(record) == 0 && (cluster == 0 || geometry.isDataCluster(cluster));
    return cluster == 0 ? Record::fileSize(record) == 0 : geometry.isDataCluster(cluster);
}

// The records of a folder or of a piece of one.
struct FolderBytes {
    std::vector<std::uint8_t> bytes;
    std::uint32_t lastCluster = 0;
    bool ended = false;  // by an end record: nothing of it lies elsewhere
};

// The records from `start` on, through the clusters right after it, up to the
// end record, a record no folder holds, or the start of another found folder.
FolderBytes readFolder(const SearchContext& context, const Geometry& geometry, std::uint32_t start,
                       const std::set<std::uint32_t>& folderStarts, std::int64_t budget) {
    FolderBytes folder;
    for (std::uint32_t cluster = start; geometry.isDataCluster(cluster); ++cluster) {
        if (cluster != start && folderStarts.contains(cluster)) break;
        if (static_cast<std::int64_t>(folder.bytes.size()) >= budget) break;
        DeletedRecovery::throwIfCancelled(context.cancellationToken);
        auto data = context.reader.read(geometry.offset(cluster), static_cast<std::size_t>(geometry.bytesPerCluster));
        for (std::size_t at = 0; at + Record::size <= data.size(); at += Record::size) {
            Bytes record(data.data() + at, Record::size);
            bool end = Record::firstByte(record) == Record::endOfDirectory;
            if (end || !isPlausibleRecord(record, geometry)) {
                // A later cluster that opens with no record belongs to something else: a file
                // starting with a zero byte (an MP4) reads as an end record but ends nothing.
                if (at == 0 && cluster != start) return folder;
                folder.bytes.insert(folder.bytes.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(at));
                folder.lastCluster = cluster;
                folder.ended = end;
                return folder;
            }
        }
        folder.bytes.insert(folder.bytes.end(), data.begin(), data.end());
        folder.lastCluster = cluster;
    }
    return folder;
}

// A folder cluster without "." and "..": a later piece of a folder that grew.
// Every record up to the end record must be one a folder holds, the rest of
// the cluster empty, and at least one record names a file or folder.
bool isFolderPiece(Bytes cluster, const Geometry& geometry) {
    bool names = false;
    for (std::size_t at = 0; at + Record::size <= cluster.size(); at += Record::size) {
        Bytes record = cluster.subspan(at, Record::size);
        if (Record::firstByte(record) == Record::endOfDirectory)
            return names && std::all_of(record.begin(), cluster.end(), [](std::uint8_t b) { return b == 0; });
        if (!isPlausibleRecord(record, geometry)) return false;
        std::uint8_t attributes = Record::attributes(record);
        if (attributes != Record::longNameAttributes && (attributes & Record::volumeLabelBit) == 0) names = true;
    }
    return names;
}

std::vector<FoundEntry> entriesOf(Bytes folder, std::int64_t& entriesChecked) {
    std::vector<FoundEntry> entries;
    for (std::size_t offset = 0; offset + Record::size <= folder.size(); offset += Record::size) {
        if (entriesChecked >= FATDeletedRecoveryEngine::Limits::maximumEntries) break;
        ++entriesChecked;
        Bytes record = folder.subspan(offset, Record::size);
        std::uint8_t attributes = Record::attributes(record);
        if (attributes == Record::longNameAttributes || (attributes & Record::volumeLabelBit) != 0) continue;
        FoundEntry entry;
        entry.isDeleted = Record::firstByte(record) == Record::deletedMark;
        entry.isDirectory = (attributes & Record::directoryBit) != 0;
        entry.firstCluster = Record::cluster(record);
        entry.sizeBytes = Record::fileSize(record);
        entry.recordOffset = offset;
        LittleEndianBytes fields(record);
        entry.modified = dosTimestamp(fields.u16(24), fields.u16(22));
        std::optional<std::string> longName;
        if (entry.isDeleted) {
            entry.shortName = Record::deletedShortName(record, entry.firstCluster);
            if (auto restored = FATDeletedRecoveryEngine::deletedLongName(folder, offset)) {
                longName = restored->longName;
                std::array<std::uint8_t, Record::size> shortRecord{};
                std::copy(record.begin(), record.end(), shortRecord.begin());
                shortRecord[0] = restored->shortNameFirstByte;
                entry.shortName = Record::activeShortName(shortRecord);
            }
        } else {
            entry.shortName = Record::activeShortName(record);
            longName = FATDeletedRecoveryEngine::liveLongName(folder, offset);
        }
        entry.name = longName.value_or(*entry.shortName);
        if (entry.name == "." || entry.name == "..") continue;
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Fills in the folders whose first clusters open with "." and "..", and the
// pieces of folders that grew, leaving out the current root's clusters.
void findFolders(const SearchContext& context, FormatSearch& search, const std::set<std::uint32_t>& currentRoot) {
    std::set<std::uint32_t> starts, pieces;
    forEachCluster(context, search.geometry, [&](std::uint32_t cluster, Bytes bytes) {
        if (starts.size() + pieces.size() >= maximumFoundFolders || currentRoot.contains(cluster)) return;
        if (parentOfFolderStart(bytes, cluster, search.geometry))
            starts.insert(cluster);
        else if (isFolderPiece(bytes, search.geometry))
            pieces.insert(cluster);
    });
    std::map<std::uint32_t, FolderBytes> folders;
    std::set<std::uint32_t> covered;
    auto cover = [&](std::uint32_t from, const FolderBytes& folder) {
        for (std::uint32_t cluster = from; cluster <= folder.lastCluster; ++cluster) covered.insert(cluster);
    };
    for (std::uint32_t start : starts) {
        folders[start] = readFolder(context, search.geometry, start, starts, maximumFolderBytes);
        cover(start, folders[start]);
    }
    // A piece continues the nearest folder before it that did not end (a
    // growing folder takes the next free cluster); with none it stands alone.
    for (std::uint32_t piece : pieces) {
        if (covered.contains(piece)) continue;
        auto open = std::find_if(std::make_reverse_iterator(folders.lower_bound(piece)), folders.rend(),
                                 [](const auto& folder) { return !folder.second.ended; });
        if (open == folders.rend()) {
            folders[piece] = readFolder(context, search.geometry, piece, starts, maximumFolderBytes);
            cover(piece, folders[piece]);
            continue;
        }
        FolderBytes& into = open->second;
        auto more = readFolder(context, search.geometry, piece, starts,
                               maximumFolderBytes - static_cast<std::int64_t>(into.bytes.size()));
        cover(piece, more);
        into.bytes.insert(into.bytes.end(), more.bytes.begin(), more.bytes.end());
        into.ended = more.ended || more.bytes.empty();
        into.lastCluster = std::max(into.lastCluster, more.lastCluster);
    }
    for (const auto& [start, bytes] : folders) {
        FoundFolder folder;
        folder.cluster = start;
        folder.entries = entriesOf(bytes.bytes, search.entriesChecked);
        search.folders.push_back(std::move(folder));
    }
}

}  // namespace

std::optional<FormatSearch> searchFAT32(const SearchContext& context) {
    auto found = findLayout<Layout>(context.reader, backupBootSector,
                                    [](Bytes sector) { return FATDeletedRecoveryEngine::parseLayout(sector); });
    if (!found) return std::nullopt;
    const auto& [layout, source] = *found;
    FormatSearch search;
    search.sourceFormat = "FAT32";
    search.geometry = geometryOf(context.reader, layout, source);

    std::optional<FATDeletedRecoveryEngine::AllocationTable> table;
    try {
        table = FATDeletedRecoveryEngine::readAllocationTable(layout, context.reader);
    } catch (const DeletedRecovery::RecoveryError&) {
        // No readable table allocates nothing.
    }
    // The current root is the new file system's own, not a found folder.
    std::set<std::uint32_t> currentRoot;
    if (table)
        for (std::uint32_t cluster : table->chain(layout.rootCluster, layout, maximumFolderBytes / 32))
            currentRoot.insert(cluster);
    auto shared =
        table ? std::make_shared<const FATDeletedRecoveryEngine::AllocationTable>(std::move(*table)) : nullptr;
    search.isFreeRun = [shared](std::uint32_t start, std::int64_t count) {
        return !shared || shared->isFreeContiguousRun(start, count);
    };
    // A table read through the backup boot sector belongs to a file system that no longer
    // mounts: the files it still allocates are as lost as the rest.
    if (shared && source == GeometrySource::bootSector)
        search.isInUse = [shared](std::uint32_t cluster) { return shared->entry(cluster) != 0; };

    findFolders(context, search, currentRoot);
    return search;
}

namespace {

constexpr std::int64_t sectorBytes = 512;
constexpr std::size_t maximumFolderOpenings = 65'536;

// The readable length of the source: doubled until a read fails, then narrowed.
std::int64_t sourceLength(const RawReader& reader) {
    std::int64_t bound = 1 << 20;
    while (bound < (std::int64_t{1} << 44) && readableClusterCount(reader, 0, bound, 1) == 1) bound *= 2;
    return readableClusterCount(reader, 0, 1, bound);
}

bool isPowerOfTwo(std::int64_t value) {
    return value > 0 && (value & (value - 1)) == 0;
}

// The cluster size and data start most pairs of folder openings agree on:
// each "." names its own cluster, so two of them at known offsets give both.
std::optional<std::pair<std::int64_t, std::int64_t>> agreedGeometry(
    const std::vector<std::pair<std::int64_t, std::uint32_t>>& openings) {
    std::map<std::pair<std::int64_t, std::int64_t>, int> votes;
    for (std::size_t i = 1; i < openings.size(); ++i) {
        auto [offsetA, clusterA] = openings[i - 1];
        auto [offsetB, clusterB] = openings[i];
        std::int64_t clusters = static_cast<std::int64_t>(clusterB) - clusterA, bytes = offsetB - offsetA;
        if (clusters <= 0 || bytes % clusters != 0) continue;
        std::int64_t bytesPerCluster = bytes / clusters;
        if (!isPowerOfTwo(bytesPerCluster) || bytesPerCluster < sectorBytes || bytesPerCluster > 65'536) continue;
        std::int64_t dataOffset = offsetA - (static_cast<std::int64_t>(clusterA) - 2) * bytesPerCluster;
        if (dataOffset >= 0) ++votes[{bytesPerCluster, dataOffset}];
    }
    auto best = std::max_element(votes.begin(), votes.end(),
                                 [](const auto& left, const auto& right) { return left.second < right.second; });
    if (best == votes.end()) return std::nullopt;
    return best->first;
}

}  // namespace

std::optional<FormatSearch> inferFAT32(const SearchContext& context) {
    std::int64_t length = sourceLength(context.reader);
    // Sector by sector: cluster c of this geometry is sector c − 2.
    Geometry sectors{.bytesPerCluster = sectorBytes, .dataOffset = 0, .clusterCount = length / sectorBytes};
    std::vector<std::pair<std::int64_t, std::uint32_t>> openings;
    forEachCluster(context, sectors, [&](std::uint32_t sector, Bytes bytes) {
        if (openings.size() >= maximumFolderOpenings || bytes.size() < 2 * Record::size) return;
        Bytes dot = bytes.first(Record::size), dotDot = bytes.subspan(Record::size, Record::size);
        if (hasName(dot, ".          ") && hasName(dotDot, "..         ") && isDirectoryRecord(dot) &&
            isDirectoryRecord(dotDot) && Record::cluster(dot) >= 2)
            openings.emplace_back(sectors.offset(sector), Record::cluster(dot));
    });
    auto agreed = agreedGeometry(openings);
    if (!agreed) return std::nullopt;
    FormatSearch search;
    search.sourceFormat = "FAT32";
    search.geometry = Geometry{.bytesPerCluster = agreed->first,
                               .dataOffset = agreed->second,
                               .clusterCount = (length - agreed->second) / agreed->first,
                               .source = GeometrySource::inferred};
    // Without a file system nothing is allocated.
    search.isFreeRun = [](std::uint32_t, std::int64_t count) { return count > 0; };
    findFolders(context, search, {});
    return search;
}

}  // namespace tidewell::OrphanFolderRecovery::detail
