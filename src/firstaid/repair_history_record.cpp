#include "firstaid/repair_history_record.h"

#include <system_error>

namespace tidewell {

std::vector<std::uint8_t> makeOutputBookmark(const std::filesystem::path& output) {
    const std::string text = output.string();
    return {text.begin(), text.end()};
}

std::optional<std::filesystem::path> RepairHistoryRecord::outputURL() const {
    if (!outputBookmark || outputBookmark->empty()) return std::nullopt;
    std::filesystem::path path(std::string(outputBookmark->begin(), outputBookmark->end()));
    // Only absolute paths resolve; anything else is not a usable bookmark.
    if (!path.is_absolute()) return std::nullopt;
    return path;
}

bool RepairHistoryRecord::outputExists() const {
    auto url = outputURL();
    if (!url) return false;
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(*url, error));
}

}  // namespace tidewell
