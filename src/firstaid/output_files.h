#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Naming and writing the new files and folders an export leaves behind.
namespace tidewell::FileFirstAidEngine {

// "base.extension" in the folder (just "base" when the extension is empty), or
// "base (n).extension" for the first n >= 2 whose name is free, links included.
std::filesystem::path firstFreeOutputPath(const std::filesystem::path& directory, const std::string& base,
                                          const std::string& extension);

// Writes bytes as the whole file; throws std::filesystem::filesystem_error with
// the message (an I/O error) when the file cannot be written completely.
void writeFileContents(const std::filesystem::path& file, std::string_view bytes, const char* failureMessage);

}  // namespace tidewell::FileFirstAidEngine
