#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "recovery/deleted/fat32_layout.h"
#include "recovery/deleted/raw_reader.h"

namespace tidewell::FATDeletedRecoveryEngine {

// The first allocation table of a FAT32 volume, read whole once per scan.
class AllocationTable {
public:
    explicit AllocationTable(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    // The 28-bit entry of a cluster; 0x0FFFFFFF (end of chain, in use) past the table.
    std::uint32_t entry(std::uint64_t cluster) const;

    // The chain from `start`, ended quietly by a free or end-of-chain entry, a
    // cluster outside the data area, a loop, or more clusters than the volume has.
    // Callers that need only the first clusters pass `maximumLength`.
    std::vector<std::uint32_t> chain(std::uint32_t start, const Layout& layout,
                                     std::int64_t maximumLength = std::numeric_limits<std::int64_t>::max()) const;

    // True when count > 0 and every entry of start ... start + count − 1 is free.
    bool isFreeContiguousRun(std::uint32_t start, std::int64_t count) const;

private:
    std::vector<std::uint8_t> bytes_;
};

AllocationTable readAllocationTable(const Layout& layout, const RawReader& reader);

}  // namespace tidewell::FATDeletedRecoveryEngine
