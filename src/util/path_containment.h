#pragma once

#include <filesystem>
#include <string_view>

namespace tidewell {

// A path lies inside a folder when it equals the folder or begins with the
// folder followed by "/". Every inside/outside decision uses this rule.
bool isPathInside(std::string_view path, std::string_view folder);
bool isPathInside(const std::filesystem::path& path, const std::filesystem::path& folder);

}  // namespace tidewell
