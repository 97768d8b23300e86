#pragma once

#include <filesystem>
#include <optional>

namespace tidewell::platform {

// HOME, else the password database's home folder.
std::filesystem::path homeDirectory();
// $XDG_DATA_HOME/Tidewell, else ~/.local/share/Tidewell. Not created here.
std::filesystem::path applicationDataDirectory();
// $XDG_CONFIG_HOME/Tidewell, else ~/.config/Tidewell. Not created here.
std::filesystem::path configurationDirectory();
// An XDG base folder from its variable when that holds an absolute path (relative values
// are ignored, as the XDG base-directory rules require), else `fallbackBelowHome` in HOME.
std::filesystem::path xdgFolder(const char* variable, const std::filesystem::path& fallbackBelowHome);

// $TMPDIR when set and non-empty, else /tmp.
std::filesystem::path temporaryDirectory();
// The shipped resource folder holding "Tools/": TIDEWELL_RESOURCE_DIR when set
// (even to a folder that does not exist, so tests can hide the shipped tools),
// else <executable folder>/../share/tidewell when it exists, else none.
std::optional<std::filesystem::path> resourceDirectory();

}  // namespace tidewell::platform
