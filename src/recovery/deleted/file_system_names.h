#pragma once

#include <string>

// Which deleted-file engine a mounted volume's file-system name belongs to.
// Both tests ignore ASCII case.

namespace tidewell::FATDeletedRecoveryEngine {

// "fat" anywhere in the name, or the name "msdos". exFAT names pass too.
bool namesFATFileSystem(const std::string& fileSystem);

}  // namespace tidewell::FATDeletedRecoveryEngine

namespace tidewell::ExFATDeletedRecoveryEngine {

// "exfat" anywhere in the name.
bool isExFATFileSystem(const std::string& fileSystem);

}  // namespace tidewell::ExFATDeletedRecoveryEngine
