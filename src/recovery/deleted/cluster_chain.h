#pragma once

#include <algorithm>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "recovery/deleted/deleted_recovery_limits.h"
#include "recovery/deleted/raw_reader.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell::FATDeletedRecoveryEngine {

// Follows an allocation chain from `start` through `entryOf(cluster)`. The
// chain ends quietly at a cluster outside 2 ..< clusterCount + 2, at a cluster
// already in it (a loop), when it holds more clusters than the volume has or
// `maximumLength`, and after an entry that is 0 (free) or at least `endOfChain`.
template <typename EntryOf>
std::vector<std::uint32_t> followClusterChain(std::uint32_t start, std::int64_t clusterCount, std::uint32_t endOfChain,
                                              std::int64_t maximumLength, EntryOf entryOf) {
    std::vector<std::uint32_t> clusters;
    std::unordered_set<std::uint32_t> seen;
    std::uint32_t cluster = start;
    auto length = [&] { return static_cast<std::int64_t>(clusters.size()); };
    while (cluster >= 2 && cluster < clusterCount + 2 && !seen.contains(cluster) && length() <= clusterCount &&
           length() < maximumLength) {
        clusters.push_back(cluster);
        seen.insert(cluster);
        std::uint32_t next = entryOf(cluster);
        if (next == 0 || next >= endOfChain) break;
        cluster = next;
    }
    return clusters;
}

// Bytes of directory entries that the entry limit still lets a walk examine.
inline std::int64_t remainingEntryBytes(std::int64_t entriesChecked, std::size_t entrySize) {
    return (Limits::maximumEntries - entriesChecked) * static_cast<std::int64_t>(entrySize);
}

// The clusters that hold `byteBudget` bytes. Directory clusters past the
// entry budget would never be examined, so they are neither followed nor read;
// at least one is, so that an empty chain still counts as skipped.
inline std::int64_t directoryClusterBudget(std::int64_t byteBudget, std::int64_t bytesPerCluster) {
    return std::max<std::int64_t>(1, (byteBudget + bytesPerCluster - 1) / bytesPerCluster);
}

// The clusters as one buffer, a whole cluster per read, in order, checking
// for cancellation before each read. No cluster is read once `byteBudget`
// bytes are there: they would be left unexamined.
template <typename Layout>
std::vector<std::uint8_t> readClusters(const std::vector<std::uint32_t>& clusters, const Layout& layout,
                                       const RawReader& reader, const RecoveryCancellationToken* cancellationToken,
                                       std::int64_t byteBudget) {
    std::vector<std::uint8_t> bytes;
    for (std::uint32_t cluster : clusters) {
        if (static_cast<std::int64_t>(bytes.size()) >= byteBudget) break;
        throwIfCancelled(cancellationToken);
        auto data = reader.read(layout.offset(cluster), static_cast<std::size_t>(layout.bytesPerCluster()));
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
    return bytes;
}

}  // namespace tidewell::FATDeletedRecoveryEngine
