#pragma once

#include <string>

namespace tidewell::Freedesktop {

// `snap remove <name>`: snapd removes the snap (asking polkit itself). Throws
// std::runtime_error with snap's message when the tool is missing or the removal failed.
void removeSnap(const std::string& name);

}  // namespace tidewell::Freedesktop
