#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tidewell::testing {

// Writes a PDF with one page per text (an empty text gives a page without
// any text), rewritten by qpdf into a clean file with a classic xref table.
void writeTextPDF(const std::filesystem::path& path, const std::vector<std::string>& pageTexts);

}  // namespace tidewell::testing
