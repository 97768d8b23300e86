#include <algorithm>
#include <string>
#include <system_error>

#include "firstaid/content_extraction.h"
#include "firstaid/output_files.h"
#include "util/text_helpers.h"

namespace tidewell::FileFirstAidEngine {

namespace fs = std::filesystem;

namespace {

// The report lists this many paths and counts the rest.
constexpr std::size_t kListedReportPaths = 500;

}  // namespace

fs::path uniqueRecoveredContentsDirectory(const FileRepairDiagnostic& diagnostic, const fs::path& directory) {
    return firstFreeOutputPath(directory, diagnostic.sourceURL.stem().string() + "-recovered-contents", "");
}

std::set<std::string> extractedRelativeFilePaths(const fs::path& root) {
    std::set<std::string> paths;
    std::error_code error;
    fs::recursive_directory_iterator items(root, fs::directory_options::skip_permission_denied, error);
    for (; !error && items != fs::recursive_directory_iterator(); items.increment(error)) {
        std::error_code statusError;
        if (!fs::is_regular_file(items->symlink_status(statusError))) continue;
        paths.insert(items->path().lexically_relative(root).generic_string());
    }
    return paths;
}

std::string contentExtractionReport(const fs::path& source, const fs::path& output, const std::set<std::string>& files,
                                    const std::vector<std::string>& warnings) {
    std::vector<std::string> lines{
        "Tidewell Readable Content Recovery Report",
        "State: Partially recovered",
        "Source: " + source.filename().string(),
        "Recovered folder: " + output.filename().string(),
        "Readable files exported: " + std::to_string(files.size()),
        "This folder is not a repaired replacement for the original file. Open the recovered files individually and "
        "review them before use.",
        "Original file was not modified."};
    if (!warnings.empty()) {
        lines.push_back("Notes:");
        for (const auto& warning : warnings) lines.push_back("- " + warning);
    }
    lines.push_back("Recovered file list:");
    // A std::set is already in sorted order.
    const std::size_t listed = std::min(files.size(), kListedReportPaths);
    auto file = files.begin();
    for (std::size_t index = 0; index < listed; ++index, ++file) lines.push_back("- " + *file);
    if (files.size() > listed) {
        lines.push_back("- \u2026 " + std::to_string(files.size() - listed) + " additional files");
    }
    return text_helpers::joined(lines, "\n");
}

}  // namespace tidewell::FileFirstAidEngine
