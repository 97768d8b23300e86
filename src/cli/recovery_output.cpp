#include "cli/recovery_output.h"

#include <algorithm>
#include <iostream>
#include <vector>

namespace tidewell::cli {

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> entries(const fs::path& folder) {
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

ProgressCallback recoveryProgressPrinter(const std::string& source) {
    return [source](double fraction, const std::string& line) {
        std::cerr << "tidewell: " << source << ": " << static_cast<int>(fraction * 100) << "% " << line << "\n"
                  << std::flush;
    };
}

NewFolderWatch::NewFolderWatch(const fs::path& folder) : folder_(folder), before_(entries(folder)) {}

std::optional<fs::path> NewFolderWatch::added() const {
    for (const fs::path& entry : entries(folder_)) {
        std::error_code error;
        if (fs::is_directory(entry, error) && !std::binary_search(before_.begin(), before_.end(), entry)) return entry;
    }
    return std::nullopt;
}

int exportStatus(std::size_t written, std::size_t selected) {
    if (written == 0) return 1;
    return written == selected ? 0 : 2;
}

}  // namespace tidewell::cli
