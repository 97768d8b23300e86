#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "recovery/deleted/carving/byte_source.h"

namespace tidewell::FileCarving {

namespace Limits {
inline constexpr int maxTiffDirectories = 256;
inline constexpr int maxTiffEntriesPerDirectory = 4096;
inline constexpr std::uint32_t maxTiffExtentValues = 1'000'000;
}  // namespace Limits

// What a walk over a TIFF structure (a TIFF-based photo, or the EXIF block of
// a JPEG) found: how far its directories, their values and the image data
// they point at reach, and the few tags carving names files by.
struct TiffFacts {
    std::int64_t extent = 0;  // relative to the TIFF header
    std::optional<std::string> make;
    std::optional<std::string> date;  // DateTimeOriginal, else DateTime, as "2024-06-01 14-03-22"
    bool isDNG = false;
    bool isCanonRaw = false;
    bool hasImageData = false;
};

// Walks the directories of the TIFF structure whose header is at `base`; none
// when no TIFF header is there. Damaged directories end their own walk only.
std::optional<TiffFacts> walkTiffStructure(ByteSource& source, std::int64_t base);

// "2024:06:01 14:03:22" → "2024-06-01 14-03-22"; none for anything else
// (including the all-zero date cameras write when the clock is unset).
std::optional<std::string> exifDateText(const std::string& raw);

}  // namespace tidewell::FileCarving
