#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tidewell::platform {

// A PDF read by the platform renderer: whether it opened, its page count and
// each page's text.
struct RenderedPDF {
    bool opened = false;
    int pageCount = 0;
    std::vector<std::string> pageTexts;  // UTF-8, one per page, when text was asked for
    std::vector<std::string> messages;   // the renderer's own error messages while reading
};

// Not opened when the renderer cannot read the document (or it is locked).
RenderedPDF openPDF(const std::filesystem::path& path, bool extractText = false);

}  // namespace tidewell::platform
