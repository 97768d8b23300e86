#include "recovery/deleted/exfat_allocation.h"

#include "recovery/deleted/cluster_chain.h"
#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "recovery/deleted/little_endian_bytes.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell::ExFATDeletedRecoveryEngine {

namespace {

using FATDeletedRecoveryEngine::RecoveryError;

constexpr std::uint32_t endOfChain = 0xFFFFFFF8;
constexpr std::uint8_t bitmapEntryType = 0x81;
constexpr std::size_t entrySize = 32;

std::vector<std::uint32_t> contiguousRun(std::uint32_t start, std::int64_t length, const Layout& layout,
                                         std::int64_t maximumLength) {
    if (length <= 0) return {};
    // Divided first: a hostile length near the top of the range must not overflow.
    std::int64_t count = length / layout.bytesPerCluster() + (length % layout.bytesPerCluster() != 0 ? 1 : 0);
    if (count <= 0 || start + count > layout.clusterCount + 2) return {};
    std::vector<std::uint32_t> run;
    for (std::int64_t i = 0; i < std::min(count, maximumLength); ++i)
        run.push_back(static_cast<std::uint32_t>(start + i));
    return run;
}

[[noreturn]] void bitmapMissing() {
    throw RecoveryError::unavailableSource(
        "Tidewell could not find the active exFAT allocation bitmap on this source.");
}

std::vector<std::uint8_t> readBitmapOf(LittleEndianBytes entry, const Layout& layout, const AllocationTable& fat,
                                       const RawReader& reader, const RecoveryCancellationToken* cancellationToken) {
    auto length = static_cast<std::int64_t>(entry.u64(24));
    std::int64_t clustersNeeded = (length + layout.bytesPerCluster() - 1) / layout.bytesPerCluster();
    auto clusters = fat.clustersForAllocation(entry.u32(20), std::nullopt, false, layout, clustersNeeded);
    std::vector<std::uint8_t> bytes;
    try {
        bytes = FATDeletedRecoveryEngine::readClusters(clusters, layout, reader, cancellationToken, length);
    } catch (const RecoveryError& error) {
        // An unreadable bitmap counts as missing; a cancellation does not.
        if (error.errorCase() == RecoveryError::Case::cancelled) throw;
        bitmapMissing();
    }
    if (static_cast<std::int64_t>(bytes.size()) < length) bitmapMissing();
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

bool isBitmapEntry(LittleEndianBytes entry) {
    auto length = static_cast<std::int64_t>(entry.u64(24));
    return entry.u8(0) == bitmapEntryType && entry.u32(20) >= 2 && length >= 1 && length <= Limits::maximumBitmapBytes;
}

}  // namespace

std::uint32_t AllocationTable::entry(std::uint64_t cluster) const {
    if (cluster > bytes_.size() / 4 || cluster * 4 + 3 >= bytes_.size()) return 0xFFFFFFFF;
    return LittleEndianBytes(bytes_).u32(static_cast<std::size_t>(cluster * 4));
}

std::vector<std::uint32_t> AllocationTable::clustersForAllocation(std::uint32_t start,
                                                                  std::optional<std::int64_t> length, bool noFATChain,
                                                                  const Layout& layout,
                                                                  std::int64_t maximumLength) const {
    if (!layout.isDataCluster(start)) return {};
    if (noFATChain && length) return contiguousRun(start, *length, layout, maximumLength);
    return FATDeletedRecoveryEngine::followClusterChain(start, layout.clusterCount, endOfChain, maximumLength,
                                                        [this](std::uint32_t cluster) { return entry(cluster); });
}

AllocationTable readAllocationTable(const Layout& layout, const RawReader& reader) {
    return AllocationTable(reader.read(layout.fatOffset(), static_cast<std::size_t>(layout.fatByteCount())));
}

std::vector<std::uint8_t> readAllocationBitmap(const Layout& layout, const AllocationTable& fat,
                                               const RawReader& reader,
                                               const RecoveryCancellationToken* cancellationToken) {
    // The root directory is read a cluster at a time: the bitmap entry sits at
    // its start, and a damaged chain must not pull in the whole volume.
    std::int64_t rootBudget = FATDeletedRecoveryEngine::remainingEntryBytes(0, entrySize);
    auto rootClusters = fat.clustersForAllocation(
        layout.rootDirectoryCluster, std::nullopt, false, layout,
        FATDeletedRecoveryEngine::directoryClusterBudget(rootBudget, layout.bytesPerCluster()));
    for (std::uint32_t cluster : rootClusters) {
        FATDeletedRecoveryEngine::throwIfCancelled(cancellationToken);
        auto bytes = reader.read(layout.offset(cluster), static_cast<std::size_t>(layout.bytesPerCluster()));
        for (std::size_t offset = 0; offset + entrySize <= bytes.size(); offset += entrySize) {
            LittleEndianBytes entry(std::span<const std::uint8_t>(bytes).subspan(offset, entrySize));
            if (entry.u8(0) == 0x00) bitmapMissing();
            if (isBitmapEntry(entry)) return readBitmapOf(entry, layout, fat, reader, cancellationToken);
        }
    }
    bitmapMissing();
}

bool isFreeContiguousRun(std::uint32_t start, std::int64_t count, const std::vector<std::uint8_t>& bitmap) {
    if (count <= 0) return false;
    for (std::int64_t i = 0; i < count; ++i) {
        std::uint64_t bit = static_cast<std::uint64_t>(start) + static_cast<std::uint64_t>(i) - 2;
        if (bit / 8 >= bitmap.size() || (bitmap[bit / 8] >> (bit % 8) & 1) != 0) return false;
    }
    return true;
}

}  // namespace tidewell::ExFATDeletedRecoveryEngine
