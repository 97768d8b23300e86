#pragma once

#include <string>

namespace tidewell::platform {

// Whether texts follow the macOS layout. A TIDEWELL_LAYOUT value naming no layout was refused
// at start, so it reads as the freedesktop layout here.
bool textsFollowMacosLayout();

// The text for the active layout: the macOS wording under the macOS layout, otherwise the one
// naming what does the work on Linux.
std::string layoutText(const std::string& macosText, const std::string& linuxText);

}  // namespace tidewell::platform
