#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace tidewell::Freedesktop {

// An ELF header carrying the AppImage magic "AI" then 1 or 2 (the image type) at offset 8.
bool isAppImageHeader(std::string_view firstBytes);

// The AppImages directly in ~/Applications, ~/.local/bin, <root>/opt and ~/AppImages,
// each file once (links resolved), in that order.
std::vector<std::filesystem::path> appImageFiles();

}  // namespace tidewell::Freedesktop
