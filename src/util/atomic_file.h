#pragma once

#include <filesystem>
#include <string_view>

namespace tidewell {

// Writes the whole file through a temporary file in the same folder and a
// rename, so readers see the old or the new contents, never a mix.
// Creates missing parent folders. Throws std::system_error on failure and
// leaves no temporary file behind.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace tidewell
