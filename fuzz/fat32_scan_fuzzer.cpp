// Fuzz target: the whole FAT32 scan (boot sector, allocation table, directory
// walk, candidate grading) over an image held in memory. The only failure
// allowed is the engine's own error type.
//
// Built and run by scripts/fuzz.sh (the CMake option TIDEWELL_FUZZ).
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
