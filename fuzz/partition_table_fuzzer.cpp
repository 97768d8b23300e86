// Fuzz target: the partition-table reader (MBR with its extended chain, GPT
// headers and entry arrays, the volume test of each partition) over a disk
// held in memory. Hostile tables must be clipped or refused, never crash.
//
// Built and run by scripts/fuzz.sh (the CMake option TIDEWELL_FUZZ).
// The test suite replays it with hostile and mutated disks.
#include <cstddef>
#include <cstdint>

#include "recovery/deleted/memory_reader.h"
#include "recovery/deleted/partition_table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tidewell::MemoryReader reader({data, size});
    // The reader never throws: unreadable tables are none, damaged entries are notes.
    if (auto table = tidewell::PartitionTable::read(reader, static_cast<std::int64_t>(size)))
        for (const auto& partition : table->partitions)
            if (partition.startOffset < 0 || partition.sizeBytes <= 0 ||
                partition.startOffset + partition.sizeBytes > static_cast<std::int64_t>(size))
                __builtin_trap();
    return 0;
}
