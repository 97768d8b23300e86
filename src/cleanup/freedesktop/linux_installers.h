#pragma once

#include <vector>

#include "cleanup/installer_candidates.h"

namespace tidewell::Freedesktop {

// Direct children of Downloads of the Linux installer kinds: .deb, .rpm, .AppImage,
// .flatpakref, .flatpak, .snap, .run (any case).
std::vector<AppScanner::InstallerCandidate> installerCandidates();

}  // namespace tidewell::Freedesktop
