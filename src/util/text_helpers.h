#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell::text_helpers {

// Without surrounding spaces, tabs and line breaks.
std::string trimmed(std::string_view text);
std::string lowercased(std::string_view text);
std::string uppercased(std::string_view text);
// The path extension without its dot, as it stands ("" when there is none).
std::string pathExtension(const std::filesystem::path& path);
// Pieces between separator characters, empty pieces dropped.
std::vector<std::string> splitDroppingEmpty(std::string_view text, std::string_view separators);
std::string joined(const std::vector<std::string>& pieces, std::string_view separator);

}  // namespace tidewell::text_helpers
