// Only the current pointer interface of the PDF library is used.
#define POINTERHOLDER_TRANSITION 4

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <exception>
#include <system_error>

#include "firstaid/repair_exporters.h"
#include "firstaid/tool_output.h"
#include "firstaid/tool_runs.h"
#include "platform/layout_text.h"
#include "platform/pdf_renderer.h"

namespace tidewell::FileFirstAidEngine {

namespace fs = std::filesystem;

namespace {

// The outcome of the qpdf rewrite when it wrote a usable copy, else none and
// the reason in failure.
std::optional<FileRepairOutcome> rewriteWithQpdf(const RepairJob& job, const std::string& qpdf, std::string& failure) {
    job.report(RepairProgressStage::repairing, 0.32, "Rewriting PDF with qpdf");
    std::optional<CommandOutput> rewritten;
    try {
        rewritten = job.run(qpdf, {"--warning-exit-0", job.source().string(), job.output.string()});
    } catch (const std::system_error&) {
        // Could not start: the renderer path still has a chance.
    }
    if (!rewritten || rewritten->status != 0 || isMissingOrEmptyFile(job.output)) {
        failure = shorten(rewritten ? rewritten->combined() : "", "qpdf could not rewrite this PDF.");
        return std::nullopt;
    }
    job.report(RepairProgressStage::verifying, 0.88, "Verifying repaired PDF");
    const auto validation = job.validated();
    std::vector<std::string> warnings;
    if (!rewritten->combined().empty()) {
        warnings.push_back(shorten(rewritten->combined(), "qpdf reported warnings while rebuilding the PDF."));
    }
    warnings.insert(warnings.end(), validation.begin(), validation.end());
    return job.outcome("qpdf wrote a repaired PDF copy.", warnings);
}

// Writes the document as the PDF library reads it, recovering a damaged
// cross-reference table on the way; false when it cannot.
bool writeReadableDocument(const fs::path& source, const fs::path& output) {
    try {
        QPDF document;
        document.setSuppressWarnings(true);
        document.setAttemptRecovery(true);
        document.processFile(source.c_str());
        QPDFWriter writer(document, output.c_str());
        writer.write();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

FileRepairOutcome repairPDF(const RepairJob& job) {
    removeExistingOutput(job.output);
    std::optional<std::string> qpdfFailure;
    if (const auto qpdf = toolPath("qpdf")) {
        std::string failure;
        if (auto rewritten = rewriteWithQpdf(job, *qpdf, failure)) return *rewritten;
        qpdfFailure = failure;
    }
    job.report(RepairProgressStage::repairing, 0.46, "Exporting readable PDF pages");
    const platform::RenderedPDF readable = platform::openPDF(job.source());
    if (!readable.opened || readable.pageCount < 1) {
        throw RepairError::noRecoverableContent(platform::layoutText("macOS PDFKit could not open readable pages.",
                                                                     "Poppler could not open readable pages."));
    }
    removeExistingOutput(job.output);
    if (!writeReadableDocument(job.source(), job.output) || isMissingOrEmptyFile(job.output)) {
        throw RepairError::writeFailed(platform::layoutText("PDFKit could not write a repaired copy.",
                                                            "libqpdf could not write a repaired copy."));
    }
    job.report(RepairProgressStage::verifying, 0.88, "Verifying repaired PDF");
    const auto validation = job.validated();
    std::vector<std::string> warnings;
    if (qpdfFailure) warnings.push_back(*qpdfFailure);
    warnings.push_back(platform::layoutText(
        "PDFKit rewrites pages macOS can read. Verify forms, annotations, and embedded attachments in the exported "
        "copy.",
        "libqpdf rewrites the pages Poppler can read. Verify forms, annotations, and embedded attachments in the "
        "exported copy."));
    warnings.insert(warnings.end(), validation.begin(), validation.end());
    return job.outcome(platform::layoutText("PDFKit", "libqpdf") + " exported " + std::to_string(readable.pageCount) +
                           " readable pages into a new copy.",
                       warnings, true);
}

}  // namespace tidewell::FileFirstAidEngine
