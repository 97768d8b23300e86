#pragma once
// TEMPORARY stand-in until the runner's own header lands on main; never committed.
#include <filesystem>
#include <string>
namespace tidewell::FileFirstAidEngine {
double commandTimeout(const std::filesystem::path& url);
std::string shorten(const std::string& text, const std::string& fallback);
}  // namespace tidewell::FileFirstAidEngine
