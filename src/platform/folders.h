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
// $TMPDIR when set and non-empty, else /tmp.
std::filesystem::path temporaryDirectory();
// The shipped resource folder holding "Tools/": TIDEWELL_RESOURCE_DIR when set
// (even to a folder that does not exist, so tests can hide the shipped tools),
// else <executable folder>/../share/tidewell when it exists, else none.
std::optional<std::filesystem::path> resourceDirectory();

}  // namespace tidewell::platform
