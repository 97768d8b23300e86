#include "recovery/deleted/orphan_folders.h"

#include <algorithm>
#include <map>
#include <set>

#include "recovery/deleted/candidate_evidence.h"
#include "recovery/deleted/deleted_export.h"
#include "recovery/deleted/deleted_recovery_limits.h"
#include "recovery/deleted/deleted_scan_progress.h"
#include "recovery/deleted/orphan_folder_search.h"
#include "recovery/deleted/recovery_error.h"
#include "recovery/deleted/source_kind.h"

namespace tidewell::OrphanFolderRecovery {

namespace detail {

std::int64_t readableClusterCount(const RawReader& reader, std::int64_t dataOffset, std::int64_t bytesPerCluster,
                                  std::int64_t clusterCount) {
    if (clusterCount <= 0 || bytesPerCluster <= 0) return 0;
    auto readable = [&](std::int64_t end) {
        try {
            reader.read(end - 1, 1);
            return true;
        } catch (const DeletedRecovery::RecoveryError&) {
            return false;
        }
    };
    // The largest count whose last byte can be read.
    std::int64_t low = 0, high = clusterCount;
    while (low < high) {
        std::int64_t middle = low + (high - low + 1) / 2;
        if (readable(dataOffset + middle * bytesPerCluster))
            low = middle;
        else
            high = middle - 1;
    }
    return low;
}

void forEachCluster(const SearchContext& context, const Geometry& geometry,
                    const std::function<void(std::uint32_t, std::span<const std::uint8_t>)>& visit) {
    std::int64_t perRead = std::max<std::int64_t>(1, searchReadBytes / geometry.bytesPerCluster);
    for (std::int64_t done = 0; done < geometry.clusterCount;) {
        DeletedRecovery::throwIfCancelled(context.cancellationToken);
        std::int64_t count = std::min(perRead, geometry.clusterCount - done);
        auto first = static_cast<std::uint32_t>(done + 2);
        auto bytes =
            context.reader.read(geometry.offset(first), static_cast<std::size_t>(count * geometry.bytesPerCluster));
        std::span<const std::uint8_t> all(bytes);
        for (std::int64_t i = 0; i < count; ++i) {
            const auto cluster = first + static_cast<std::uint32_t>(i);
            const auto clusterBytes = all.subspan(static_cast<std::size_t>(i * geometry.bytesPerCluster),
                                                  static_cast<std::size_t>(geometry.bytesPerCluster));
            if (context.observeRead) context.observeRead(geometry.offset(cluster), clusterBytes);
            visit(cluster, clusterBytes);
        }
        done += count;
        if (context.progress)
            context.progress(0.9 * static_cast<double>(done) / static_cast<double>(geometry.clusterCount),
                             "Searched " + std::to_string(done) + " of " + std::to_string(geometry.clusterCount) +
                                 " clusters for folder records");
    }
}

std::optional<std::chrono::system_clock::time_point> dosTimestamp(std::uint16_t date, std::uint16_t time) {
    using namespace std::chrono;
    year_month_day day{year{1980 + (date >> 9)}, month{static_cast<unsigned>((date >> 5) & 0x0F)},
                       std::chrono::day{static_cast<unsigned>(date & 0x1F)}};
    if (!day.ok()) return std::nullopt;
    return sys_days{day} + hours{time >> 11} + minutes{(time >> 5) & 0x3F} + seconds{2 * (time & 0x1F)};
}

}  // namespace detail

namespace {

using detail::FormatSearch;

std::string orphanName(std::uint32_t cluster) {
    return "Folder (cluster " + std::to_string(cluster) + ")";
}

// Each folder's parent is the found folder holding a folder record that
// starts at its cluster; a live record wins over a deleted one.
void placeInTree(std::vector<FoundFolder>& folders) {
    std::map<std::uint32_t, std::size_t> byCluster;
    for (std::size_t i = 0; i < folders.size(); ++i) byCluster.emplace(folders[i].cluster, i);
    std::map<std::uint32_t, std::pair<std::uint32_t, const FoundEntry*>> namedBy;
    for (const FoundFolder& folder : folders)
        for (const FoundEntry& entry : folder.entries) {
            if (!entry.isDirectory || entry.firstCluster == folder.cluster || !byCluster.contains(entry.firstCluster))
                continue;
            auto [it, inserted] = namedBy.try_emplace(entry.firstCluster, folder.cluster, &entry);
            if (!inserted && it->second.second->isDeleted && !entry.isDeleted) it->second = {folder.cluster, &entry};
        }
    for (FoundFolder& folder : folders) {
        if (auto it = namedBy.find(folder.cluster); it != namedBy.end()) {
            folder.parentCluster = it->second.first;
            folder.name = it->second.second->name;
        } else {
            folder.name = orphanName(folder.cluster);
        }
    }
    for (FoundFolder& folder : folders) {
        std::vector<std::string> names{folder.name};
        std::set<std::uint32_t> seen{folder.cluster};
        for (auto parent = folder.parentCluster; parent;) {
            const FoundFolder& above = folders[byCluster.at(*parent)];
            // A loop of folders naming each other: cut it where it closes.
            if (!seen.insert(above.cluster).second) break;
            names.push_back(above.name);
            parent = above.parentCluster;
        }
        folder.path = foundFoldersRoot;
        for (auto name = names.rbegin(); name != names.rend(); ++name) folder.path += "/" + *name;
    }
}

std::optional<Candidate> makeCandidate(const FormatSearch& search, const FoundFolder& folder, const FoundEntry& entry,
                                       const RawReader& reader) {
    const Geometry& geometry = search.geometry;
    if (entry.isDirectory || entry.sizeBytes < 1 ||
        entry.sizeBytes > FATDeletedRecoveryEngine::Limits::maximumCandidateBytes ||
        !geometry.isDataCluster(entry.firstCluster))
        return std::nullopt;
    std::int64_t clustersRequired = (entry.sizeBytes + geometry.bytesPerCluster - 1) / geometry.bytesPerCluster;
    if (entry.firstCluster + clustersRequired > geometry.clusterCount + 2) return std::nullopt;
    // The new tables no longer know the chain: only a run stored as one, or
    // one cluster long, is known to be contiguous on exFAT; FAT32 takes the
    // contiguous assumption as for any deleted file.
    bool contiguous = search.sourceFormat != "exFAT" || entry.noFATChain || clustersRequired == 1;
    std::int64_t runOffset = geometry.offset(entry.firstCluster);
    FATDeletedRecoveryEngine::DeletedEntry deleted{
        .id = "found#" + folder.path + "#" + std::to_string(entry.recordOffset) + "#" +
              std::to_string(entry.firstCluster) + "#" + std::to_string(entry.sizeBytes),
        .entryName = entry.name,
        .longName = entry.shortName && *entry.shortName != entry.name ? std::optional(entry.name) : std::nullopt,
        .restoredShortName = entry.shortName && *entry.shortName != entry.name ? entry.shortName : std::nullopt,
        .startCluster = entry.firstCluster,
        .sizeBytes = entry.sizeBytes,
        .clustersRequired = clustersRequired,
        .directoryLocation = folder.path,
        .contiguousFree = contiguous && search.isFreeRun(entry.firstCluster, clustersRequired),
        .sourceFormat = search.sourceFormat,
    };
    auto readRun = [&](std::int64_t length) { return reader.read(runOffset, static_cast<std::size_t>(length)); };
    auto candidate = FATDeletedRecoveryEngine::makeCandidate(deleted, geometry.bytesPerCluster, readRun);
    if (!candidate) return std::nullopt;
    candidate->fromFoundFolder = true;
    candidate->runOffset = runOffset;
    candidate->modified = entry.modified;
    return candidate;
}

}  // namespace

Result scan(const RawReader& reader, const std::string& sourceName, const RecoveryCancellationToken* cancellationToken,
            const ProgressCallback& progress, const ReadObserver& observeRead) {
    Result result;
    result.report.sourceName = sourceName;
    result.report.startedAt = std::chrono::system_clock::now();
    detail::SearchContext context{reader, cancellationToken, progress, observeRead};
    std::optional<FormatSearch> search;
    DeletedRecovery::SourceKind kind = DeletedRecovery::detectSourceKind(reader);
    if (kind == DeletedRecovery::SourceKind::exfat)
        search = detail::searchExFAT(context);
    else if (kind == DeletedRecovery::SourceKind::fat32 || kind == DeletedRecovery::SourceKind::unrecognised)
        // A wiped first sector may still leave the backup boot sector.
        search = detail::searchFAT32(context);
    if (!search && kind == DeletedRecovery::SourceKind::unrecognised) search = detail::searchExFAT(context);
    if (!search && kind == DeletedRecovery::SourceKind::unrecognised) search = detail::inferFAT32(context);

    if (search) {
        placeInTree(search->folders);
        for (const FoundFolder& folder : search->folders) {
            if (result.candidates.size() >= FATDeletedRecoveryEngine::Limits::maximumCandidates) break;
            for (const FoundEntry& entry : folder.entries) {
                DeletedRecovery::throwIfCancelled(cancellationToken);
                if (auto candidate = makeCandidate(*search, folder, entry, reader))
                    result.candidates.push_back(std::move(*candidate));
                else if (!entry.isDirectory)
                    ++result.report.skippedEntries;
            }
        }
        result.sourceFormat = search->sourceFormat;
        result.geometry = search->geometry;
        result.isInUse = std::move(search->isInUse);
        result.report.entriesChecked = search->entriesChecked;
        result.folders = std::move(search->folders);
    }
    DeletedRecovery::sortCandidates(result.candidates);
    result.report.directoriesChecked = static_cast<std::int64_t>(result.folders.size());
    result.report.candidatesFound = static_cast<std::int64_t>(result.candidates.size());
    result.report.finishedAt = std::chrono::system_clock::now();
    if (progress) progress(1.0, FATDeletedRecoveryEngine::scanFinishedText(result.candidates.size()));
    return result;
}

bool isFromFoundFolder(const Candidate& candidate) {
    return candidate.fromFoundFolder;
}

std::vector<std::filesystem::path> exportCandidates(const std::vector<Candidate>& candidates, const RawReader& reader,
                                                    const std::string& sourceName,
                                                    const std::filesystem::path& destination,
                                                    const RecoveryCancellationToken* cancellationToken,
                                                    const ProgressCallback& progress,
                                                    const FATDeletedRecoveryEngine::ExportPlacement& placement) {
    if (candidates.empty()) throw DeletedRecovery::RecoveryError::noCandidates();
    bool exfat = std::any_of(candidates.begin(), candidates.end(),
                             [](const Candidate& candidate) { return candidate.sourceFormat == "exFAT"; });
    // Found candidates carry their run's offset; any other would have no place to be read from.
    auto clusterOffset = [](std::uint32_t) -> std::int64_t {
        throw DeletedRecovery::RecoveryError::unsupportedSource("This file was not found in a found folder.");
    };
    return FATDeletedRecoveryEngine::exportCandidateRuns(
        candidates, reader, clusterOffset, sourceName, destination,
        exfat ? FATDeletedRecoveryEngine::exfatExportTexts() : FATDeletedRecoveryEngine::fat32ExportTexts(),
        cancellationToken, progress, DeletedRecovery::ExportNaming::entryName, placement);
}

}  // namespace tidewell::OrphanFolderRecovery
