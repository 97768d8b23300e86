#pragma once

#include <string>

namespace tidewell::Freedesktop {

// `snap remove <name>`: snapd removes the snap (asking polkit itself). Throws
// std::runtime_error without running anything when `name` is not a snap name (lowercase
// letters, digits, '-'), with a sentence when snap is not installed, and with what snap
// wrote on standard error when the removal failed.
void removeSnap(const std::string& name);

}  // namespace tidewell::Freedesktop
