#pragma once

#include <array>
#include <filesystem>
#include <string_view>
#include <vector>

#include "cleanup/installer_candidates.h"

namespace tidewell::Freedesktop {

// The file kinds a Linux app is installed from, as path extensions compared ignoring case.
inline constexpr auto installerExtensions =
    std::to_array<std::string_view>({"deb", "rpm", "AppImage", "flatpakref", "flatpak", "snap", "run"});

// True when the file name ends in one of the installer extensions.
bool isInstallerName(const std::filesystem::path& path);

// Direct children of Downloads of the Linux installer kinds: .deb, .rpm, .AppImage,
// .flatpakref, .flatpak, .snap, .run (any case).
std::vector<AppScanner::InstallerCandidate> installerCandidates();

}  // namespace tidewell::Freedesktop
