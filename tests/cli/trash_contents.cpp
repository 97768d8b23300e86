#include "cli/trash_contents.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

namespace tidewell::testing {

namespace fs = std::filesystem;

namespace {

fs::path trashFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    return fs::path(dataHome != nullptr ? dataHome : "") / "Trash";
}

// The trash rules store Path= percent-encoded.
std::string percentDecoded(const std::string& text) {
    std::string decoded;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (text[index] == '%' && index + 2 < text.size()) {
            decoded += static_cast<char>(std::stoi(text.substr(index + 1, 2), nullptr, 16));
            index += 2;
        } else {
            decoded += text[index];
        }
    }
    return decoded;
}

std::optional<fs::path> recordedPath(const fs::path& record) {
    std::ifstream file(record);
    std::string line;
    while (std::getline(file, line))
        if (line.rfind("Path=", 0) == 0) return fs::path(percentDecoded(line.substr(5)));
    return std::nullopt;
}

}  // namespace

std::vector<TrashedItem> trashedItems() {
    std::vector<TrashedItem> items;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(trashFolder() / "info", error)) {
        if (entry.path().extension() != ".trashinfo") continue;
        const auto original = recordedPath(entry.path());
        if (!original) continue;
        items.push_back({*original, trashFolder() / "files" / entry.path().stem()});
    }
    std::sort(items.begin(), items.end(),
              [](const TrashedItem& left, const TrashedItem& right) { return left.originalPath < right.originalPath; });
    return items;
}

std::optional<fs::path> trashedCopyOf(const fs::path& original) {
    for (const TrashedItem& item : trashedItems())
        if (item.originalPath == original && fs::exists(fs::symlink_status(item.trashedPath))) return item.trashedPath;
    return std::nullopt;
}

}  // namespace tidewell::testing
