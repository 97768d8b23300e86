#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

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

}  // namespace tidewell::FATDeletedRecoveryEngine
