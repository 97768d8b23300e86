#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace tidewell::platform {

// Every folder the app inventory reads, in one place. Today this is the
// macOS layout ("/Applications", "~/Library/Caches", ...); a Linux-native
// layout (desktop entries, XDG folders) plugs in here later.
//
// System folders hang below the system root: "/" normally, or the folder
// named by TIDEWELL_SYSTEM_ROOT when that is set and non-empty, so tests build
// a whole system layout in a temporary folder. User folders follow HOME.
namespace FolderLocations {

inline constexpr const char* systemRootVariable = "TIDEWELL_SYSTEM_ROOT";

std::filesystem::path systemRoot();
// "/System/Applications/Foo" becomes <root>/System/Applications/Foo.
std::filesystem::path systemPath(const std::filesystem::path& absolutePath);
// An absolute path as this system sees it: inside Home as it is, anywhere else below the
// system root.
std::filesystem::path homeOrSystemPath(const std::filesystem::path& absolutePath);
// The absolute folders of PATH (`whenUnset` when PATH is not set), each as this system sees
// it; relative entries are passed over.
std::vector<std::filesystem::path> executableSearchFolders(std::string_view whenUnset);

// The app roots in search order: "/Applications", Home/Applications, "/System/Applications".
std::filesystem::path applicationsFolder();
std::filesystem::path userApplicationsFolder();
std::filesystem::path systemApplicationsFolder();
// "/System": apps below it are the operating system's own.
std::filesystem::path systemFolder();

std::filesystem::path userLibraryFolder();
std::filesystem::path userCachesFolder();
std::filesystem::path userApplicationSupportFolder();
std::filesystem::path userPreferencesFolder();
std::filesystem::path userSavedApplicationStateFolder();
std::filesystem::path userLogsFolder();
std::filesystem::path userLaunchAgentsFolder();
std::filesystem::path userDownloadsFolder();

std::filesystem::path systemLaunchAgentsFolder();
std::filesystem::path systemLaunchDaemonsFolder();
std::filesystem::path privilegedHelperToolsFolder();

}  // namespace FolderLocations

}  // namespace tidewell::platform
