#include "recovery/deleted/file_system_names.h"

#include "util/text_helpers.h"

namespace tidewell::FATDeletedRecoveryEngine {

bool namesFATFileSystem(const std::string& fileSystem) {
    std::string name = text_helpers::lowercased(fileSystem);
    return name.find("fat") != std::string::npos || name == "msdos";
}

}  // namespace tidewell::FATDeletedRecoveryEngine

namespace tidewell::ExFATDeletedRecoveryEngine {

bool isExFATFileSystem(const std::string& fileSystem) {
    return text_helpers::lowercased(fileSystem).find("exfat") != std::string::npos;
}

}  // namespace tidewell::ExFATDeletedRecoveryEngine
