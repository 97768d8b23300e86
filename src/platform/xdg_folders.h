#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

// The XDG base directories a freedesktop desktop keeps its apps' files in. User folders
// follow HOME and the XDG variables; system folders hang below the system root
// (TIDEWELL_SYSTEM_ROOT), so tests build a whole system in a temporary folder.
namespace tidewell::platform::XDGFolders {

std::filesystem::path dataHome();    // $XDG_DATA_HOME, else ~/.local/share
std::filesystem::path configHome();  // $XDG_CONFIG_HOME, else ~/.config
std::filesystem::path cacheHome();   // $XDG_CACHE_HOME, else ~/.cache
std::filesystem::path stateHome();   // $XDG_STATE_HOME, else ~/.local/state

// $XDG_DATA_DIRS, else "/usr/local/share:/usr/share"; each below the system root.
std::vector<std::filesystem::path> dataDirs();
// $XDG_CONFIG_DIRS, else "/etc/xdg"; each below the system root.
std::vector<std::filesystem::path> configDirs();

// XDG_DOWNLOAD_DIR of the user's "user-dirs.dirs", else ~/Downloads.
std::filesystem::path downloadsFolder();

// The folder a "user-dirs.dirs" text names for `key` ("XDG_DOWNLOAD_DIR"): a quoted
// "$HOME/..." or absolute path; empty when the key is missing or its value is neither.
std::filesystem::path userDirectory(std::string_view userDirsText, std::string_view key,
                                    const std::filesystem::path& home);

}  // namespace tidewell::platform::XDGFolders
