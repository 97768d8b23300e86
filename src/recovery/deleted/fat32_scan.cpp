#include <algorithm>
#include <array>
#include <deque>

#include "recovery/deleted/candidate_evidence.h"
#include "recovery/deleted/cluster_chain.h"
#include "recovery/deleted/deleted_scan_progress.h"
#include "recovery/deleted/deleted_scan_result.h"
#include "recovery/deleted/fat32_allocation_table.h"
#include "recovery/deleted/fat32_directory_record.h"
#include "recovery/deleted/fat32_long_name.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "recovery/deleted/file_reader.h"
#include "recovery/deleted/file_system_names.h"
#include "recovery/deleted/privileged_device_reader.h"

namespace tidewell::FATDeletedRecoveryEngine {

namespace {

// The breadth-first walk of the live directory tree from the root cluster.
// What it found and examined are its WalkTotals.
class DirectoryWalk : public WalkTotals {
public:
    DirectoryWalk(const RawReader& reader, const Layout& layout, const AllocationTable& fat,
                  const RecoveryCancellationToken* cancellationToken)
        : reader_(reader), layout_(layout), fat_(fat), cancellationToken_(cancellationToken) {}

    void run(const ProgressCallback& progress) {
        queue_.emplace_back(layout_.rootCluster, "Root directory");
        while (!queue_.empty() && visited.size() < Limits::maximumDirectories &&
               candidates.size() < Limits::maximumCandidates) {
            throwIfCancelled(cancellationToken_);
            auto [cluster, label] = queue_.front();
            queue_.pop_front();
            if (!visited.insert(cluster).second) continue;
            auto chain =
                fat_.chain(cluster, layout_, directoryClusterBudget(remainingEntryBytes(), layout_.bytesPerCluster()));
            if (chain.empty()) {
                ++skipped;
                continue;
            }
            walkDirectory(chain, label);
            if (progress)
                progress(scanProgressFraction(visited.size(), queue_.size()),
                         scanProgressText(visited.size(), candidates.size()));
        }
    }

private:
    std::int64_t remainingEntryBytes() const {
        return FATDeletedRecoveryEngine::remainingEntryBytes(entriesChecked, DirectoryRecord::size);
    }

    void walkDirectory(const std::vector<std::uint32_t>& chain, const std::string& label) {
        auto bytes = readClusters(chain, layout_, reader_, cancellationToken_, remainingEntryBytes());
        std::span<const std::uint8_t> all(bytes);
        for (std::size_t offset = 0; offset + DirectoryRecord::size <= bytes.size(); offset += DirectoryRecord::size) {
            throwIfCancelled(cancellationToken_);
            if (entriesChecked >= Limits::maximumEntries) break;
            ++entriesChecked;  // the end-of-directory record counts too
            auto record = all.subspan(offset, DirectoryRecord::size);
            if (DirectoryRecord::firstByte(record) == DirectoryRecord::endOfDirectory) break;
            examineRecord(all, offset, label);
        }
    }

    void examineRecord(std::span<const std::uint8_t> directory, std::size_t offset, const std::string& label) {
        auto record = directory.subspan(offset, DirectoryRecord::size);
        std::uint8_t attributes = DirectoryRecord::attributes(record);
        // Long-name records are read with the short record they precede; volume labels are no files.
        if (attributes == DirectoryRecord::longNameAttributes || (attributes & DirectoryRecord::volumeLabelBit) != 0)
            return;
        std::uint32_t cluster = DirectoryRecord::cluster(record);
        if (DirectoryRecord::firstByte(record) == DirectoryRecord::deletedMark) {
            if (auto candidate = makeCandidate(directory, offset, label, cluster))
                candidates.push_back(std::move(*candidate));
            else
                ++skipped;
        } else if ((attributes & DirectoryRecord::directoryBit) != 0 && layout_.isDataCluster(cluster)) {
            // A subdirectory's label is its own short name, not a path.
            std::string name = DirectoryRecord::activeShortName(record);
            if (name != "." && name != "..") queue_.emplace_back(cluster, name);
        }
    }

    std::optional<Candidate> makeCandidate(std::span<const std::uint8_t> directory, std::size_t recordOffset,
                                           const std::string& label, std::uint32_t start) const {
        auto record = directory.subspan(recordOffset, DirectoryRecord::size);
        std::int64_t size = DirectoryRecord::fileSize(record);
        if (size < 1 || size > Limits::maximumCandidateBytes || !layout_.isDataCluster(start)) return std::nullopt;
        std::int64_t bytesPerCluster = layout_.bytesPerCluster();
        std::int64_t clustersRequired = (size + bytesPerCluster - 1) / bytesPerCluster;
        if (clustersRequired <= 0 || start + clustersRequired > layout_.clusterCount + 2) return std::nullopt;

        auto readRun = [&](std::int64_t length) {
            return reader_.read(layout_.offset(start), static_cast<std::size_t>(length));
        };
        DeletedEntry entry{
            .id = label + "#" + std::to_string(recordOffset) + "#" + std::to_string(start) + "#" + std::to_string(size),
            .entryName = DirectoryRecord::deletedShortName(record, start),
            .startCluster = start,
            .sizeBytes = size,
            .clustersRequired = clustersRequired,
            .directoryLocation = label,
            .contiguousFree = fat_.isFreeContiguousRun(start, clustersRequired),
            .sourceFormat = "FAT32",
        };
        if (auto restored = deletedLongName(directory, recordOffset)) {
            entry.longName = std::move(restored->longName);
            std::array<std::uint8_t, DirectoryRecord::size> shortRecord{};
            std::copy(record.begin(), record.end(), shortRecord.begin());
            shortRecord.at(0) = restored->shortNameFirstByte;
            entry.restoredShortName = DirectoryRecord::activeShortName(shortRecord);
        }
        return FATDeletedRecoveryEngine::makeCandidate(entry, bytesPerCluster, readRun);
    }

    const RawReader& reader_;
    const Layout& layout_;
    const AllocationTable& fat_;
    const RecoveryCancellationToken* cancellationToken_;
    std::deque<std::pair<std::uint32_t, std::string>> queue_;
};

}  // namespace

ScanResult scan(const RawReader& reader, const std::string& sourceName,
                const RecoveryCancellationToken* cancellationToken, const ProgressCallback& progress) {
    Report report{.sourceName = sourceName, .startedAt = std::chrono::system_clock::now()};
    Layout layout = readLayout(reader);
    AllocationTable fat = readAllocationTable(layout, reader);
    DirectoryWalk walk(reader, layout, fat, cancellationToken);
    walk.run(progress);

    return finishScan(std::move(static_cast<WalkTotals&>(walk)), report, progress);
}

ScanResult scanImage(const std::filesystem::path& url, const std::string& sourceName,
                     const RecoveryCancellationToken* cancellationToken, const ProgressCallback& progress) {
    return scan(FileReader(url), sourceName, cancellationToken, progress);
}

ScanResult scan(const ExternalRecoveryVolume& volume, const RecoveryCancellationToken* cancellationToken,
                const ProgressCallback& progress) {
    if (!namesFATFileSystem(volume.fileSystem))
        throw RecoveryError::unsupportedSource(
            "Deleted-file recovery is currently available for FAT32 USB and SD media. " + volume.name + " uses " +
            volume.fileSystem + ".");
    if (!volume.deviceIdentifier)
        throw RecoveryError::unavailableSource("Tidewell could not identify the raw device behind " + volume.name +
                                               ". Reconnect the drive and choose it again.");
    return scan(PrivilegedDeviceReader(*volume.deviceIdentifier), volume.name, cancellationToken, progress);
}

}  // namespace tidewell::FATDeletedRecoveryEngine
