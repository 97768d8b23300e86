// Fuzz target: the carving structure walkers (JPEG, PNG, GIF, TIFF, ISO media,
// PDF, ZIP, RIFF, MP3) and the carver over a volume held in memory. Hostile
// bytes must give a walk within the available bytes, never a crash or a read
// outside them.
//
// Built and run by scripts/fuzz.sh (the CMake option TIDEWELL_FUZZ).
// The test suite replays it with mutated files made by real tools.
#include <cstddef>
#include <cstdint>

#include "recovery/deleted/carving/file_carver.h"
#include "recovery/deleted/carving/structure_walkers.h"
#include "recovery/deleted/memory_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tidewell::FileCarving;
    tidewell::MemoryReader reader({data, size});
    // Small windows, so walks cross window edges as they do on a large volume.
    ByteSource source(reader, 0, static_cast<std::int64_t>(size), 4096);
    StructureWalk walk = walkFile(source);
    if (walk.length < 0 || walk.length > static_cast<std::int64_t>(size)) __builtin_trap();
    if (walk.status == WalkStatus::complete && walk.length == 0) __builtin_trap();

    // The same bytes as a volume of 512-byte clusters.
    const ClusterGeometry geometry{0, 512, 2};
    auto clusters = static_cast<std::uint32_t>(size / 512);
    if (clusters > 0) {
        auto result = carve(reader, geometry, {{2, clusters}});
        for (const auto& file : result.files)
            if (file.length <= 0 || file.startOffset + file.length > static_cast<std::int64_t>(clusters) * 512)
                __builtin_trap();
    }
    return 0;
}
