#include "util/path_containment.h"

namespace tidewell {

bool isPathInside(std::string_view path, std::string_view folder) {
    // A folder written with a trailing "/" ("/tmp/", "/") names the same folder;
    // without this the root folder would contain nothing but itself.
    while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
    if (folder == "/") return path.starts_with('/');
    if (path == folder) return true;
    return !folder.empty() && path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/';
}

}  // namespace tidewell
