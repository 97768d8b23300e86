#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell::AppScanner {

// The direct children of a folder, hidden entries (names beginning with ".")
// left out, sorted by name so every pass sees the same order. Empty when the
// folder cannot be listed.
std::vector<std::filesystem::path> visibleChildren(const std::filesystem::path& folder);

// The path extension as the user sees it: the text after the last "." of the
// file name, empty when there is none or the name only starts with ".".
std::string pathExtension(const std::filesystem::path& path);
// The file name without that extension.
std::string nameWithoutExtension(const std::filesystem::path& path);

// A single path component that stays inside the folder it is joined to: not
// empty, not "." or "..", no "/" and no NUL. Names read from property lists
// pass through this before they become paths.
bool isPlainPathComponent(std::string_view name);

}  // namespace tidewell::AppScanner
