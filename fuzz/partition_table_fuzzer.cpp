// Fuzz target: the partition-table reader (MBR with its extended chain, GPT
// headers and entry arrays, the volume test of each partition) over a disk
// held in memory. Hostile tables must be clipped or refused, never crash.
//
// Built with clang's libFuzzer from the repository root (S=src/recovery/deleted), as one
// command line:
//   clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -Isrc fuzz/partition_table_fuzzer.cpp
//     $S/partition_table.cpp $S/source_kind.cpp $S/fat32_layout.cpp $S/exfat_layout.cpp
//     src/util/byte_size_text.cpp src/util/text_helpers.cpp src/util/unicode_text.cpp -o partition_table_fuzzer
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
