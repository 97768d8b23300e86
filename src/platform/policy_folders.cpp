#include "platform/policy_folders.h"

#include "platform/folder_locations.h"
#include "platform/folders.h"

namespace tidewell::platform::FolderLocations {

namespace fs = std::filesystem;

fs::path userDocumentsFolder() {
    return homeDirectory() / "Documents";
}
fs::path userDesktopFolder() {
    return homeDirectory() / "Desktop";
}
fs::path userPicturesFolder() {
    return homeDirectory() / "Pictures";
}
fs::path userMoviesFolder() {
    return homeDirectory() / "Movies";
}
fs::path userMusicFolder() {
    return homeDirectory() / "Music";
}
fs::path userContainersFolder() {
    return userLibraryFolder() / "Containers";
}
fs::path userGroupContainersFolder() {
    return userLibraryFolder() / "Group Containers";
}
fs::path userApplicationScriptsFolder() {
    return userLibraryFolder() / "Application Scripts";
}
fs::path userMobileDocumentsFolder() {
    return userLibraryFolder() / "Mobile Documents";
}

fs::path systemBinFolder() {
    return systemPath("/bin");
}
fs::path systemSbinFolder() {
    return systemPath("/sbin");
}
fs::path systemKeychainsFolder() {
    return systemPath("/Library/Keychains");
}
fs::path optFolder() {
    return systemPath("/opt");
}
fs::path usrLocalFolder() {
    return systemPath("/usr/local");
}

}  // namespace tidewell::platform::FolderLocations
