// Fuzz target: putting a deleted file's long name back together from the
// directory records before its short record. The input is a folder's bytes;
// every record is tried as the short record. Nothing may throw, and a name
// that comes back must be one a file can have and must agree with the
// checksum its pieces carry; a breach aborts.
//
// Built and run by scripts/fuzz.sh (the CMake option TIDEWELL_FUZZ).
// The test suite replays it with a few directories and mutations of them.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "recovery/deleted/fat32_long_name.h"
#include "util/unicode_text.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void checkRestored(const tidewell::FATDeletedRecoveryEngine::RestoredLongName& restored,
                   std::span<const std::uint8_t> nearestPiece, std::span<const std::uint8_t> shortRecord) {
    const std::string& name = restored.longName;
    require(!name.empty() && name != "." && name != "..");
    require(tidewell::encodeUTF8(tidewell::decodeUTF8(name)) == name);
    require(std::none_of(name.begin(), name.end(),
                         [](char c) { return c == '/' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }));
    std::array<std::uint8_t, 11> shortName{};
    std::copy_n(shortRecord.begin(), shortName.size(), shortName.begin());
    shortName[0] = restored.shortNameFirstByte;
    require(tidewell::FATDeletedRecoveryEngine::shortNameChecksum(shortName) == nearestPiece[13]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> directory(data, size);
    for (std::size_t offset = 0; offset + 32 <= size; offset += 32)
        if (auto restored = tidewell::FATDeletedRecoveryEngine::deletedLongName(directory, offset))
            checkRestored(*restored, directory.subspan(offset - 32, 32), directory.subspan(offset, 32));
    // Offsets a caller should never pass still give no name.
    require(!tidewell::FATDeletedRecoveryEngine::deletedLongName(directory, size));
    require(!tidewell::FATDeletedRecoveryEngine::deletedLongName(directory, size + 64));
    return 0;
}
