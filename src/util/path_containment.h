#pragma once

#include <concepts>
#include <filesystem>
#include <string_view>

namespace tidewell {

// A path lies inside a folder when it equals the folder or begins with the
// folder followed by "/". Every inside/outside decision uses this rule.
bool isPathInside(std::string_view path, std::string_view folder);

// The same rule for filesystem paths (constrained so that string literals and
// std::string arguments are not ambiguous between the two forms).
template <std::same_as<std::filesystem::path> Path>
bool isPathInside(const Path& path, const Path& folder) {
    return isPathInside(std::string_view(path.native()), std::string_view(folder.native()));
}

}  // namespace tidewell
