// Fuzz target: the search for folders a quick format left behind (boot
// sector or backup, the data-area search, the folder records of both formats,
// the rebuilt tree and the candidates' grading) over an image held in memory.
// The only failure allowed is the engine's own error type.
//
// Built and run by scripts/fuzz.sh (the CMake option TIDEWELL_FUZZ).
// The test suite replays it with hostile and mutated images.
#include <cstddef>
#include <cstdint>

#include "recovery/deleted/memory_reader.h"
#include "recovery/deleted/orphan_folders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tidewell::MemoryReader reader({data, size});
    try {
        tidewell::OrphanFolderRecovery::scan(reader, "fuzz");
    } catch (const tidewell::DeletedRecovery::RecoveryError&) {
    }
    return 0;
}
