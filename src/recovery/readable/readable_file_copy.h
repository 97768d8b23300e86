#pragma once

#include <filesystem>

namespace tidewell {

// Copies one regular file to a new file, keeping its modification date.
// Never follows a link at the source, never replaces anything at the target
// (an existing target is an error), and removes its own partial copy when the
// copy fails. Throws std::system_error.
void copyReadableFile(const std::filesystem::path& source, const std::filesystem::path& target);

}  // namespace tidewell
