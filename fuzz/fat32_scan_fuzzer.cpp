// Fuzz target: the whole FAT32 scan (boot sector, allocation table, directory
// walk, candidate grading) over an image held in memory. The only failure
// allowed is the engine's own error type.
//
// Built with clang's libFuzzer from the repository root (S=src/recovery/deleted), as one
// command line:
//   clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -Isrc fuzz/fat32_scan_fuzzer.cpp
//     $S/fat32_allocation_table.cpp $S/fat32_directory_record.cpp $S/fat32_layout.cpp $S/fat32_scan.cpp
//     $S/fat32_long_name.cpp $S/candidate_evidence.cpp $S/deleted_candidate.cpp $S/deleted_scan_*.cpp
//     $S/known_signatures.cpp $S/recovered_names.cpp $S/file_reader.cpp $S/privileged_device_reader.cpp
//     src/platform/{jpeg,png,gif}_decoder.cpp src/recovery/readable/recovery_candidate_kind.cpp
//     src/util/unicode_text.cpp -ljpeg -lpng -lgif -o fat32_scan_fuzzer
// The test suite replays it with hostile and mutated images.
#include <cstddef>
#include <cstdint>

#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "recovery/deleted/memory_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tidewell::MemoryReader reader({data, size});
    try {
        tidewell::FATDeletedRecoveryEngine::scan(reader, "fuzz");
    } catch (const tidewell::FATDeletedRecoveryEngine::RecoveryError&) {
    }
    return 0;
}
