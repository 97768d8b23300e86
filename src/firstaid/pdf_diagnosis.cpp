#include "firstaid/file_first_aid_engine.h"
#include "firstaid/file_samples.h"
#include "firstaid/tool_runs.h"
#include "platform/layout_text.h"
#include "platform/pdf_renderer.h"

namespace tidewell::FileFirstAidEngine {

namespace {

RepairFinding headerFinding(std::optional<std::size_t> headerOffset) {
    if (!headerOffset) {
        return {"PDF header", "No PDF header was found in the first sample.", RepairFindingLevel::failed};
    }
    if (*headerOffset == 0) return {"PDF header", "Header is at the start of the file.", RepairFindingLevel::ok};
    return {"PDF header", "Header exists after leading bytes; a rewrite may normalize it.", RepairFindingLevel::ok};
}

}  // namespace

FileRepairDiagnostic diagnosePDF(const std::filesystem::path& url, std::int64_t sizeBytes) {
    const auto head = headSample(url);
    const auto tail = tailSample(url);
    const bool hasEOF = findBytes(tail, "%%EOF").has_value();
    const bool hasXref = findBytes(tail, "xref") || findBytes(tail, "trailer");
    const auto rendered = platform::openPDF(url);
    const auto* document = rendered.opened ? &rendered : nullptr;
    const bool qpdf = toolPath("qpdf").has_value();

    auto diagnostic = startDiagnostic(url, FileRepairKind::pdfDocument, sizeBytes);
    auto& findings = diagnostic.findings;
    findings.push_back(headerFinding(findBytes(head, "%PDF-")));
    findings.push_back(hasEOF
                           ? RepairFinding("EOF marker", "EOF marker is present near the end.", RepairFindingLevel::ok)
                           : RepairFinding("EOF marker", "EOF marker is missing or outside the sampled tail.",
                                           RepairFindingLevel::warning));
    findings.push_back(
        hasXref
            ? RepairFinding("xref / trailer", "Cross-reference or trailer markers were found.", RepairFindingLevel::ok)
            : RepairFinding("xref / trailer", "No xref or trailer marker was found in the sampled tail.",
                            RepairFindingLevel::warning));
    const std::string pagesTitle = platform::layoutText("PDFKit readable pages", "Poppler readable pages");
    if (document) {
        findings.emplace_back(
            pagesTitle,
            std::to_string(document->pageCount) +
                platform::layoutText(" pages can be opened by macOS PDFKit.", " pages can be opened by Poppler."),
            RepairFindingLevel::ok);
    } else {
        findings.emplace_back(
            pagesTitle,
            platform::layoutText("macOS PDFKit could not open this PDF.", "Poppler could not open this PDF."),
            RepairFindingLevel::warning);
    }
    diagnostic.canAttemptRepair = document != nullptr || qpdf;
    diagnostic.recommendedAction =
        diagnostic.canAttemptRepair
            ? "Export a rewritten PDF copy. The original file will not be changed."
            : platform::layoutText("Install qpdf or choose a PDF that macOS can still open partially.",
                                   "Install qpdf or choose a PDF that Poppler can still open partially.");
    diagnostic.previewItems.emplace_back(
        "Pages",
        document ? std::to_string(document->pageCount) + " readable pages"
                 : platform::layoutText("No readable PDFKit pages", "No pages Poppler can read"),
        "doc.text");
    diagnostic.previewItems.emplace_back(
        "Rewrite tool", qpdf ? "qpdf available" : platform::layoutText("PDFKit fallback only", "libqpdf fallback only"),
        "wrench.and.screwdriver");
    return diagnostic;
}

}  // namespace tidewell::FileFirstAidEngine
