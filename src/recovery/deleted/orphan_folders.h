#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "recovery/deleted/deleted_candidate.h"
#include "recovery/deleted/deleted_export.h"
#include "recovery/deleted/deleted_scan_report.h"
#include "recovery/deleted/raw_reader.h"
#include "recovery/readable/recovery_cancellation_token.h"
#include "util/progress.h"

// Recovery after a quick format: the boot sector, allocation tables and root
// were written anew, but the clusters of the old subfolders still hold their
// records. The data area is searched for them, the tree is rebuilt from what
// they say of each other, and their files are offered as candidates read as
// one contiguous run from their first cluster. The source is only read.
namespace tidewell::OrphanFolderRecovery {

using DeletedRecovery::Candidate;
using DeletedRecovery::Report;

inline constexpr const char* foundFoldersRoot = "Found folders";
// Bytes per read of the data-area search.
inline constexpr std::int64_t searchReadBytes = 4'194'304;
inline constexpr std::size_t maximumFoundFolders = 4'096;

// inferred: FAT32 only, from the "." records found, each naming its own cluster.
enum class GeometrySource { bootSector, backupBootSector, inferred };

// Where the data clusters lie: cluster c starts at dataOffset + (c − 2) × bytesPerCluster.
struct Geometry {
    std::int64_t bytesPerCluster = 0;
    std::int64_t dataOffset = 0;
    std::int64_t clusterCount = 0;  // clusters that lie wholly inside the readable source
    GeometrySource source = GeometrySource::bootSector;

    std::int64_t offset(std::uint32_t cluster) const {
        return dataOffset + (static_cast<std::int64_t>(cluster) - 2) * bytesPerCluster;
    }
    bool isDataCluster(std::int64_t cluster) const { return cluster >= 2 && cluster < clusterCount + 2; }
    bool operator==(const Geometry&) const = default;
};

// One file or folder record of a found folder.
struct FoundEntry {
    std::string name;                      // the long name when there is one
    std::optional<std::string> shortName;  // FAT32: the 8.3 name
    bool isDirectory = false;
    bool isDeleted = false;
    bool noFATChain = false;  // exFAT: stored as one run
    std::uint32_t firstCluster = 0;
    std::int64_t sizeBytes = 0;
    std::optional<std::chrono::system_clock::time_point> modified;  // as recorded, read as UTC
    std::size_t recordOffset = 0;                                   // inside the folder's bytes

    bool operator==(const FoundEntry&) const = default;
};

// A folder found in the data area, placed in the rebuilt tree.
struct FoundFolder {
    std::uint32_t cluster = 0;                   // its first cluster
    std::optional<std::uint32_t> parentCluster;  // the found folder that names it
    std::string name;                            // its name there, else "Folder (cluster N)"
    std::string path;                            // "Found folders/DCIM/100TEST"
    std::vector<FoundEntry> entries;

    bool operator==(const FoundFolder&) const = default;
};

struct Result {
    std::string sourceFormat;  // "FAT32" or "exFAT"; empty when no volume geometry was found
    std::optional<Geometry> geometry;
    std::vector<FoundFolder> folders;   // in cluster order
    std::vector<Candidate> candidates;  // sorted as every scan's
    Report report;                      // directoriesChecked counts the found folders
    // True for a cluster the current file system uses, when its boot sector and its FAT
    // (FAT32) or allocation bitmap (exFAT) could be read; empty when those structures are gone.
    std::function<bool(std::uint32_t cluster)> isInUse;
};

// Sees each cluster (or sector, while the geometry is inferred) the data-area search reads,
// at its offset on the source, so a later pass can use the bytes instead of reading them again.
using ReadObserver = std::function<void(std::int64_t offset, std::span<const std::uint8_t> bytes)>;

// Searches a FAT32 or exFAT volume whose geometry the boot sector or its
// backup still gives; with neither, a FAT32 geometry at least two found
// folders agree on. Any other source gives an empty result. Read errors other than the source's end propagate;
// cancellation throws RecoveryError::cancelled.
Result scan(const RawReader& reader, const std::string& sourceName,
            const RecoveryCancellationToken* cancellationToken = nullptr, const ProgressCallback& progress = {},
            const ReadObserver& observeRead = {});

// True for candidates named from found folders.
bool isFromFoundFolder(const Candidate& candidate);

// Copies the candidates out as every deleted-file export does, from the runs
// the scan located (its geometry, not the current boot sector's), placed as
// `placement` says.
std::vector<std::filesystem::path> exportCandidates(const std::vector<Candidate>& candidates, const RawReader& reader,
                                                    const std::string& sourceName,
                                                    const std::filesystem::path& destination,
                                                    const RecoveryCancellationToken* cancellationToken = nullptr,
                                                    const ProgressCallback& progress = {},
                                                    const FATDeletedRecoveryEngine::ExportPlacement& placement = {});

}  // namespace tidewell::OrphanFolderRecovery
