#pragma once

#include <filesystem>

namespace tidewell::platform::FolderLocations {

// Further folders the cleanup safety rules name. System ones follow the system
// root like the rest of this service; user ones follow HOME.

std::filesystem::path userDocumentsFolder();
std::filesystem::path userDesktopFolder();
std::filesystem::path userPicturesFolder();
std::filesystem::path userMoviesFolder();
std::filesystem::path userMusicFolder();
std::filesystem::path userContainersFolder();
std::filesystem::path userGroupContainersFolder();
std::filesystem::path userApplicationScriptsFolder();
std::filesystem::path userMobileDocumentsFolder();

std::filesystem::path systemBinFolder();        // "/bin"
std::filesystem::path systemSbinFolder();       // "/sbin"
std::filesystem::path systemKeychainsFolder();  // "/Library/Keychains"
std::filesystem::path optFolder();              // "/opt"
std::filesystem::path usrLocalFolder();         // "/usr/local"

}  // namespace tidewell::platform::FolderLocations
