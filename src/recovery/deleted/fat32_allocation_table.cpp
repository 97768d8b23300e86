#include "recovery/deleted/fat32_allocation_table.h"

#include "recovery/deleted/cluster_chain.h"
#include "recovery/deleted/little_endian_bytes.h"

namespace tidewell::FATDeletedRecoveryEngine {

namespace {

constexpr std::uint32_t entryMask = 0x0FFFFFFF;
constexpr std::uint32_t endOfChain = 0x0FFFFFF8;

}  // namespace

std::uint32_t AllocationTable::entry(std::uint64_t cluster) const {
    if (cluster > (bytes_.size() / 4) || cluster * 4 + 3 >= bytes_.size()) return entryMask;
    return LittleEndianBytes(bytes_).u32(static_cast<std::size_t>(cluster * 4)) & entryMask;
}

std::vector<std::uint32_t> AllocationTable::chain(std::uint32_t start, const Layout& layout,
                                                  std::int64_t maximumLength) const {
    return followClusterChain(start, layout.clusterCount, endOfChain, maximumLength,
                              [this](std::uint32_t cluster) { return entry(cluster); });
}

bool AllocationTable::isFreeContiguousRun(std::uint32_t start, std::int64_t count) const {
    if (count <= 0) return false;
    for (std::int64_t i = 0; i < count; ++i)
        if (entry(static_cast<std::uint64_t>(start) + static_cast<std::uint64_t>(i)) != 0) return false;
    return true;
}

AllocationTable readAllocationTable(const Layout& layout, const RawReader& reader) {
    return AllocationTable(reader.read(layout.fatOffset, static_cast<std::size_t>(layout.fatByteCount)));
}

}  // namespace tidewell::FATDeletedRecoveryEngine
