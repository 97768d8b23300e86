#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tidewell::platform {

// A PDF opened by the platform renderer: its page count and each page's text.
struct RenderedPDF {
    int pageCount = 0;
    std::vector<std::string> pageTexts;  // UTF-8, one per page, when text was asked for
    std::vector<std::string> messages;   // the renderer's own error messages while reading
};

// None when the renderer cannot open the document (or it is locked).
std::optional<RenderedPDF> openPDF(const std::filesystem::path& path, bool extractText = false);

}  // namespace tidewell::platform
