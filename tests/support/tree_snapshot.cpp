#include "support/tree_snapshot.h"

#include <algorithm>

namespace tidewell::testing {

namespace fs = std::filesystem;

std::vector<std::pair<std::string, std::int64_t>> treeSnapshot(const fs::path& root) {
    std::vector<std::pair<std::string, std::int64_t>> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const bool file = entry.is_regular_file() && !entry.is_symlink();
        entries.emplace_back(entry.path().string(), file ? static_cast<std::int64_t>(entry.file_size()) : -1);
    }
    std::sort(entries.begin(), entries.end());
    return entries;
}

}  // namespace tidewell::testing
