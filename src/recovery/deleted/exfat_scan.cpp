#include <algorithm>
#include <deque>

#include "recovery/deleted/candidate_evidence.h"
#include "recovery/deleted/cluster_chain.h"
#include "recovery/deleted/deleted_scan_progress.h"
#include "recovery/deleted/deleted_scan_result.h"
#include "recovery/deleted/exfat_allocation.h"
#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "recovery/deleted/exfat_entry_set.h"
#include "recovery/deleted/file_reader.h"
#include "recovery/deleted/file_system_names.h"
#include "recovery/deleted/privileged_device_reader.h"

namespace tidewell::ExFATDeletedRecoveryEngine {

namespace {

using FATDeletedRecoveryEngine::directoryClusterBudget;
using FATDeletedRecoveryEngine::readClusters;
using FATDeletedRecoveryEngine::throwIfCancelled;

struct QueuedDirectory {
    std::uint32_t cluster;
    bool noFATChain;
    std::optional<std::int64_t> length;
    std::string label;
};

// The breadth-first walk of the live directory tree from the root cluster.
// What it found and examined are its WalkTotals.
class DirectoryWalk : public FATDeletedRecoveryEngine::WalkTotals {
public:
    DirectoryWalk(const RawReader& reader, const Layout& layout, const AllocationTable& fat,
                  const std::vector<std::uint8_t>& bitmap, const RecoveryCancellationToken* cancellationToken)
        : reader_(reader), layout_(layout), fat_(fat), bitmap_(bitmap), cancellationToken_(cancellationToken) {}

    void run(const ProgressCallback& progress) {
        queue_.push_back({layout_.rootDirectoryCluster, false, std::nullopt, "Root directory"});
        while (!queue_.empty() && visited.size() < Limits::maximumDirectories &&
               candidates.size() < Limits::maximumCandidates) {
            throwIfCancelled(cancellationToken_);
            QueuedDirectory directory = queue_.front();
            queue_.pop_front();
            if (!layout_.isDataCluster(directory.cluster) || !visited.insert(directory.cluster).second) continue;
            auto clusters =
                fat_.clustersForAllocation(directory.cluster, directory.length, directory.noFATChain, layout_,
                                           directoryClusterBudget(remainingEntryBytes(), layout_.bytesPerCluster()));
            if (clusters.empty()) {
                ++skipped;
                continue;
            }
            walkDirectory(clusters, directory.label);
            if (progress)
                progress(FATDeletedRecoveryEngine::scanProgressFraction(visited.size(), queue_.size()),
                         FATDeletedRecoveryEngine::scanProgressText(visited.size(), candidates.size()));
        }
    }

private:
    std::int64_t remainingEntryBytes() const {
        return FATDeletedRecoveryEngine::remainingEntryBytes(entriesChecked, entrySize);
    }

    void walkDirectory(const std::vector<std::uint32_t>& clusters, const std::string& label) {
        auto bytes = readClusters(clusters, layout_, reader_, cancellationToken_, remainingEntryBytes());
        std::size_t offset = 0;
        while (offset + entrySize <= bytes.size()) {
            if (entriesChecked >= Limits::maximumEntries) break;
            throwIfCancelled(cancellationToken_);
            std::uint8_t type = bytes[offset];
            if (type == 0x00) break;  // end of directory, not counted
            ++entriesChecked;
            offset = examineEntry(bytes, offset, type, label);
        }
    }

    // Returns the offset of the next entry to examine.
    std::size_t examineEntry(const std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint8_t type,
                             const std::string& label) {
        if ((type & static_cast<std::uint8_t>(~inUseBit)) != fileEntryCode) return offset + entrySize;
        auto set = parseFileSet(bytes, offset);
        if (!set) return offset + entrySize;
        if ((type & inUseBit) == 0) {
            if (auto candidate = makeDeletedCandidate(*set, label, offset))
                candidates.push_back(std::move(*candidate));
            else
                ++skipped;
        } else if (set->isDirectory() && set->firstCluster >= 2) {
            std::optional<std::int64_t> length;
            if (set->dataLength > 0) length = set->dataLength;
            queue_.push_back({set->firstCluster, set->noFATChain, length, set->name});
        }
        return std::min(bytes.size(), offset + static_cast<std::size_t>(set->secondaryCount + 1) * entrySize);
    }

    std::optional<Candidate> makeDeletedCandidate(const FileSet& set, const std::string& label,
                                                  std::size_t recordOffset) const {
        if (set.isDirectory() || set.dataLength < 1 || set.dataLength > Limits::maximumCandidateBytes ||
            !layout_.isDataCluster(set.firstCluster) || !set.noFATChain)
            return std::nullopt;
        std::int64_t bytesPerCluster = layout_.bytesPerCluster();
        std::int64_t clustersRequired = (set.dataLength + bytesPerCluster - 1) / bytesPerCluster;
        if (clustersRequired <= 0 || set.firstCluster + clustersRequired > layout_.clusterCount + 2)
            return std::nullopt;

        auto readRun = [&](std::int64_t length) {
            return reader_.read(layout_.offset(set.firstCluster), static_cast<std::size_t>(length));
        };
        FATDeletedRecoveryEngine::DeletedEntry entry{
            .id = "exfat#" + label + "#" + std::to_string(recordOffset) + "#" + std::to_string(set.firstCluster) + "#" +
                  std::to_string(set.dataLength),
            .entryName = set.name,
            .startCluster = set.firstCluster,
            .sizeBytes = set.dataLength,
            .clustersRequired = clustersRequired,
            .directoryLocation = label,
            .contiguousFree = isFreeContiguousRun(set.firstCluster, clustersRequired, bitmap_),
            .sourceFormat = "exFAT",
        };
        return FATDeletedRecoveryEngine::makeCandidate(entry, bytesPerCluster, readRun);
    }

    const RawReader& reader_;
    const Layout& layout_;
    const AllocationTable& fat_;
    const std::vector<std::uint8_t>& bitmap_;
    const RecoveryCancellationToken* cancellationToken_;
    std::deque<QueuedDirectory> queue_;
};

}  // namespace

ScanResult scan(const RawReader& reader, const std::string& sourceName,
                const RecoveryCancellationToken* cancellationToken, const ProgressCallback& progress) {
    Report report{.sourceName = sourceName, .startedAt = std::chrono::system_clock::now()};
    Layout layout = readLayout(reader);
    AllocationTable fat = readAllocationTable(layout, reader);
    auto bitmap = readAllocationBitmap(layout, fat, reader, cancellationToken);
    DirectoryWalk walk(reader, layout, fat, bitmap, cancellationToken);
    walk.run(progress);

    return FATDeletedRecoveryEngine::finishScan(std::move(static_cast<FATDeletedRecoveryEngine::WalkTotals&>(walk)),
                                                report, progress);
}

ScanResult scanImage(const std::filesystem::path& url, const std::string& sourceName,
                     const RecoveryCancellationToken* cancellationToken, const ProgressCallback& progress) {
    return scan(FileReader(url, shortReadMessage), sourceName, cancellationToken, progress);
}

ScanResult scan(const ExternalRecoveryVolume& volume, const RecoveryCancellationToken* cancellationToken,
                const ProgressCallback& progress) {
    if (!isExFATFileSystem(volume.fileSystem))
        throw RecoveryError::unsupportedSource("Deleted-file recovery expected an exFAT USB or SD volume, but " +
                                               volume.name + " uses " + volume.fileSystem + ".");
    if (!volume.deviceIdentifier)
        throw RecoveryError::unavailableSource("Tidewell could not identify the raw device behind " + volume.name +
                                               ". Reconnect the drive and choose it again.");
    return scan(PrivilegedDeviceReader(*volume.deviceIdentifier), volume.name, cancellationToken, progress);
}

}  // namespace tidewell::ExFATDeletedRecoveryEngine
