#include "recovery/deleted/file_system_names.h"

#include "firstaid/text_helpers.h"

namespace tidewell::FATDeletedRecoveryEngine {

bool namesFATFileSystem(const std::string& fileSystem) {
    std::string name = firstaid_text::lowercased(fileSystem);
    return name.find("fat") != std::string::npos || name == "msdos";
}

}  // namespace tidewell::FATDeletedRecoveryEngine

namespace tidewell::ExFATDeletedRecoveryEngine {

bool isExFATFileSystem(const std::string& fileSystem) {
    return firstaid_text::lowercased(fileSystem).find("exfat") != std::string::npos;
}

}  // namespace tidewell::ExFATDeletedRecoveryEngine
