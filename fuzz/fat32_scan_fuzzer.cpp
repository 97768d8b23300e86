// Fuzz target: the whole FAT32 scan (boot sector, allocation table, directory
// walk, candidate grading) over an image held in memory. The only failure
// allowed is the engine's own error type.
//
// Built with clang's libFuzzer from the repository root (S=src/recovery/deleted,
// P=src/platform), as one command line:
//   clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -Isrc fuzz/fat32_scan_fuzzer.cpp
//     $S/fat32_{allocation_table,directory_record,layout,long_name,scan}.cpp $S/candidate_evidence.cpp
//     $S/deleted_candidate.cpp $S/deleted_scan_*.cpp $S/known_signatures.cpp $S/recovered_names.cpp
//     $S/file_reader.cpp $S/file_system_names.cpp $S/privileged_*.cpp $P/{jpeg,png,gif}_decoder.cpp
//     $P/image_memory_readers.cpp $P/helper_protocol*.cpp $P/raw_partition_identifier.cpp $P/folders.cpp
//     $P/file_properties.cpp $P/layout_{kind,text}.cpp src/recovery/readable/recovery_candidate_kind.cpp
//     src/util/*.cpp src/process/*.cpp -ljpeg -lpng -lgif -ltiff -o fat32_scan_fuzzer
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
