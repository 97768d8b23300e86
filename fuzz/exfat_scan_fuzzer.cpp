// Fuzz target: the whole exFAT scan (boot sector, allocation table and
// bitmap, entry sets, candidate grading) over an image held in memory. The
// only failure allowed is the engine's own error type.
//
// Built with clang's libFuzzer from the repository root (S=src/recovery/deleted,
// P=src/platform, F=src/firstaid), as one command line:
//   clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -Isrc fuzz/exfat_scan_fuzzer.cpp
//     $S/exfat_{allocation,entry_set,layout,scan}.cpp $S/candidate_evidence.cpp $S/deleted_candidate.cpp $S/deleted_scan_*.cpp
//     $S/known_signatures.cpp $S/recovered_names.cpp $S/file_reader.cpp $S/privileged_*.cpp
//     $P/{jpeg,png,gif}_decoder.cpp $P/helper_protocol*.cpp $P/raw_partition_identifier.cpp $P/folders.cpp
//     src/recovery/readable/recovery_candidate_kind.cpp src/util/*.cpp $F/command_runner.cpp
//     $F/child_process.cpp $F/tool_output.cpp $F/tool_location.cpp -ljpeg -lpng -lgif -o exfat_scan_fuzzer
// The test suite replays it with hostile and mutated images.
#include <cstddef>
#include <cstdint>

#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "recovery/deleted/memory_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tidewell::MemoryReader reader({data, size});
    try {
        tidewell::ExFATDeletedRecoveryEngine::scan(reader, "fuzz");
    } catch (const tidewell::FATDeletedRecoveryEngine::RecoveryError&) {
    }
    return 0;
}
