#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace tidewell::testing {

// One item of the freedesktop Trash in $XDG_DATA_HOME/Trash: the path its .trashinfo record
// names and where the item itself lies now.
struct TrashedItem {
    std::filesystem::path originalPath;
    std::filesystem::path trashedPath;
};

// Every item the Trash records, by original path.
std::vector<TrashedItem> trashedItems();

// Where the item that was at `original` lies in the Trash, when its record names that path
// and the item is there.
std::optional<std::filesystem::path> trashedCopyOf(const std::filesystem::path& original);

}  // namespace tidewell::testing
