#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tidewell::helper {

// "/", or "/boot", "/boot/efi", "/usr", "/var", "/home", "/srv", "/opt", "/tmp"
// and what lies below them; the media folders /media/<user> and
// /run/media/<user> never count.
bool isSystemMountPoint(std::string_view mountPoint);

// True when the device (its "major:minor" numbers and path) holds a file
// system mounted at a system place according to the mount table. An
// unreadable mount table counts as holding one: the helper then refuses.
bool holdsSystemFileSystem(const std::string& deviceNumbers, const std::filesystem::path& devicePath,
                           const std::filesystem::path& mountTable);

}  // namespace tidewell::helper
