#pragma once

#include <string>

#include "recovery/deleted/carving/carved_file.h"

namespace tidewell::FileCarving {

namespace Limits {
inline constexpr std::size_t maxTitleBytesInName = 100;
}

// "JPEG 2024-06-01 14-03-22 (cluster 4067).jpg" with the file's own date,
// "PDF Annual report (cluster 12).pdf" with its own title, else
// "JPEG (cluster 4067).jpg".
std::string carvedFileName(const CarvedFile& file);

// The folder an export puts the file in: its kind ("JPEG", "MP4", "DOCX", ...).
std::string carvedKindFolder(const CarvedFile& file);

// A title made safe for a file name: path separators, control characters and
// colons become spaces, runs of spaces one, no leading dots; cut to the limit
// on a character boundary. Empty when nothing is left.
std::string sanitizedTitle(const std::string& title);

}  // namespace tidewell::FileCarving
