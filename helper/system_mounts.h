#pragma once

#include <sys/stat.h>

#include <filesystem>

namespace tidewell::helper {

// True when the opened device (its fstat result and path) holds the file
// system mounted at /, /boot, /usr or /home according to the mount table.
// An unreadable mount table counts as holding one: the helper then refuses.
bool holdsSystemFileSystem(const struct stat& device, const std::filesystem::path& devicePath,
                           const std::filesystem::path& mountTable);

}  // namespace tidewell::helper
