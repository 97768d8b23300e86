#include "support/pdf_fixture.h"

#include <string>

#include "support/temporary_folder.h"

namespace tidewell::testing {

namespace {

std::string object(int number, const std::string& body) {
    return std::to_string(number) + " 0 obj\n" + body + "\nendobj\n";
}

}  // namespace

void writeTextPDF(const std::filesystem::path& path, const std::vector<std::string>& pageTexts) {
    // Objects: 1 catalog, 2 pages, 3 font, then a page and its contents per text.
    std::string kids;
    std::string body = object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    std::string pages;
    for (std::size_t i = 0; i < pageTexts.size(); ++i) {
        const int page = 4 + static_cast<int>(i) * 2;
        kids += std::to_string(page) + " 0 R ";
        const std::string stream =
            pageTexts[i].empty() ? "0 0 1 rg 10 10 50 50 re f" : "BT /F1 18 Tf 20 100 Td (" + pageTexts[i] + ") Tj ET";
        pages += object(page, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents " +
                                  std::to_string(page + 1) + " 0 R /Resources << /Font << /F1 3 0 R >> >> >>");
        pages +=
            object(page + 1, "<< /Length " + std::to_string(stream.size()) + " >>\nstream\n" + stream + "\nendstream");
    }
    body += object(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pageTexts.size()) + " >>");
    body += object(3, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    const auto draft = path.string() + ".draft";
    writeFile(draft, "%PDF-1.4\n" + body + pages + "trailer\n<< /Root 1 0 R >>\n%%EOF\n");
    runTool("qpdf", {"--object-streams=disable", "--empty", "--pages", draft, "--", path.string()});
    std::filesystem::remove(draft);
}

}  // namespace tidewell::testing
