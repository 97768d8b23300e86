#include "platform/pdf_renderer.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>
#include <memory>
#include <mutex>

namespace tidewell::platform {

namespace {

// poppler reports its messages through one process-wide function, so
// documents are read one at a time while it collects into the current list.
std::mutex rendererLock;
std::vector<std::string>* currentMessages = nullptr;

void collectMessage(const std::string& message, void*) {
    if (currentMessages) currentMessages->push_back(message);
}

std::string utf8(const poppler::ustring& text) {
    const auto bytes = text.to_utf8();
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

RenderedPDF openPDF(const std::filesystem::path& path, bool extractText) {
    std::lock_guard lock(rendererLock);
    RenderedPDF rendered;
    currentMessages = &rendered.messages;
    poppler::set_debug_error_function(collectMessage, nullptr);
    std::unique_ptr<poppler::document> document(poppler::document::load_from_file(path.string()));
    if (document && !document->is_locked()) {
        rendered.opened = true;
        rendered.pageCount = document->pages();
        for (int index = 0; extractText && index < rendered.pageCount; ++index) {
            std::unique_ptr<poppler::page> page(document->create_page(index));
            rendered.pageTexts.push_back(page ? utf8(page->text()) : std::string());
        }
    }
    currentMessages = nullptr;
    return rendered;
}

}  // namespace tidewell::platform
