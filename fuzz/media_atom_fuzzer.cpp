// Feeds arbitrary bytes to the top-level atom walker and checks what it records.
#include <cstddef>
#include <cstdint>

#include "firstaid/media_container.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto atoms = tidewell::FileFirstAidEngine::walkAtoms(std::span<const std::uint8_t>(data, size));
    if (atoms.size() > tidewell::FileFirstAidEngine::MediaLimits::maximumTopLevelAtoms) __builtin_trap();
    std::uint64_t expectedOffset = 0;
    for (const auto& atom : atoms) {
        // Contiguous, at least a header long, never past the end, four-character types.
        if (atom.offset != expectedOffset || atom.size < 8 || atom.size > size - atom.offset) __builtin_trap();
        if (atom.type.size() != 4) __builtin_trap();
        expectedOffset += atom.size;
    }
    return 0;
}
