#include "cleanup/folder_listing.h"

#include <algorithm>
#include <system_error>

namespace tidewell::AppScanner {

namespace fs = std::filesystem;

std::vector<fs::path> visibleChildren(const fs::path& folder) {
    std::vector<fs::path> children;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!name.empty() && name.front() != '.') children.push_back(it->path());
    }
    std::sort(children.begin(), children.end());
    return children;
}

std::string pathExtension(const fs::path& path) {
    const std::string name = path.filename().string();
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return {};
    return name.substr(dot + 1);
}

std::string nameWithoutExtension(const fs::path& path) {
    const std::string name = path.filename().string();
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return name;
    return name.substr(0, dot);
}

bool isPlainPathComponent(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

}  // namespace tidewell::AppScanner
