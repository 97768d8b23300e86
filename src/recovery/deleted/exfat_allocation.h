#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "recovery/deleted/exfat_layout.h"
#include "recovery/deleted/raw_reader.h"
#include "recovery/readable/recovery_cancellation_token.h"

namespace tidewell::ExFATDeletedRecoveryEngine {

// The first allocation table of an exFAT volume, read whole once per scan.
class AllocationTable {
public:
    explicit AllocationTable(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    // The 32-bit entry of a cluster (not masked); 0xFFFFFFFF past the table.
    std::uint32_t entry(std::uint64_t cluster) const;

    // The clusters of an allocation: one run of the data length when it was
    // stored without a chain, else the chain from the table (ended by a free
    // or end-of-chain entry, a cluster outside the heap, a loop, or more
    // clusters than the volume has). At most `maximumLength` clusters.
    std::vector<std::uint32_t> clustersForAllocation(
        std::uint32_t start, std::optional<std::int64_t> length, bool noFATChain, const Layout& layout,
        std::int64_t maximumLength = std::numeric_limits<std::int64_t>::max()) const;

private:
    std::vector<std::uint8_t> bytes_;
};

AllocationTable readAllocationTable(const Layout& layout, const RawReader& reader);

// The allocation bitmap named by the first in-use bitmap entry of the root
// directory; throws unavailableSource when there is none or it cannot be read.
std::vector<std::uint8_t> readAllocationBitmap(const Layout& layout, const AllocationTable& fat,
                                               const RawReader& reader,
                                               const RecoveryCancellationToken* cancellationToken);

// True when count > 0 and every cluster of the run has a clear bit inside the bitmap.
bool isFreeContiguousRun(std::uint32_t start, std::int64_t count, const std::vector<std::uint8_t>& bitmap);

}  // namespace tidewell::ExFATDeletedRecoveryEngine
