#pragma once

#include <cstdint>
#include <filesystem>

namespace tidewell::platform {

// Allocated size of a regular file; otherwise the recursive sum of the
// regular files below a folder, skipping hidden entries, never following or
// counting symbolic links, passing over unreadable parts. 0 when unreadable.
std::int64_t directorySize(const std::filesystem::path& path);
// Total allocated size, else allocated size, else 0.
std::int64_t fileSize(const std::filesystem::path& path);
// directorySize when anything exists at the path (a dangling link counts), else 0.
std::int64_t sizeIfExists(const std::filesystem::path& path);

}  // namespace tidewell::platform
