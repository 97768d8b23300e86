#include "firstaid/export_validation.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "firstaid/archive_diagnosis.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/image_reading.h"
#include "firstaid/tool_output.h"
#include "firstaid/tool_runs.h"
#include "platform/layout_text.h"
#include "platform/pdf_renderer.h"
#include "util/text_helpers.h"

namespace tidewell::FileFirstAidEngine {

namespace {

ValidationResult validateArchive(const std::filesystem::path& output, FileRepairKind kind) {
    auto unzip = toolPath("unzip");
    if (!unzip) return {true, {"Could not run archive validation because unzip is unavailable."}};
    auto test = runCheck(*unzip, {"-tqq", output.string()});
    if (!test || test->status != 0) {
        return {false, {shorten(test ? test->combined() : "", "Archive validation reported warnings.")}};
    }
    if (kind == FileRepairKind::officeDocument) {
        const auto entries = readableArchiveEntries(output);
        std::vector<std::string> missing;
        for (const auto& part : requiredOfficeEntries(text_helpers::pathExtension(output))) {
            if (std::find(entries.begin(), entries.end(), part) == entries.end()) missing.push_back(part);
        }
        if (!missing.empty()) {
            return {
                false,
                {"The rebuilt Office package is missing required parts: " + text_helpers::joined(missing, ", ") + "."}};
        }
    }
    return {true, {}};
}

// qpdf --check prints a fixed banner on every sound file; only the lines
// around it (its warnings and errors) say something about the document.
std::string qpdfFindings(const std::string& combined) {
    static const std::array<std::string_view, 6> banner{"checking ",
                                                        "PDF Version:",
                                                        "File is not encrypted",
                                                        "File is not linearized",
                                                        "No syntax or stream encoding errors found",
                                                        "errors that qpdf cannot detect"};
    std::vector<std::string> kept;
    for (const auto& line : text_helpers::splitDroppingEmpty(combined, "\n")) {
        const bool isBanner = std::any_of(banner.begin(), banner.end(),
                                          [&](std::string_view prefix) { return line.starts_with(prefix); });
        if (!isBanner) kept.push_back(line);
    }
    return text_helpers::joined(kept, "\n");
}

ValidationResult validatePDF(const std::filesystem::path& output) {
    const auto rendered = platform::openPDF(output, true);
    const auto* document = rendered.opened ? &rendered : nullptr;
    if (!document || document->pageCount < 1)
        return {false,
                {platform::layoutText("The exported PDF could not be reopened by PDFKit.",
                                      "The exported PDF could not be reopened by Poppler.")}};
    ValidationResult result{true, {}};
    const auto textPages = std::count_if(document->pageTexts.begin(), document->pageTexts.end(),
                                         [](const std::string& text) { return !text_helpers::trimmed(text).empty(); });
    if (textPages < document->pageCount) {
        result.warnings.push_back("Only " + std::to_string(textPages) + " of " + std::to_string(document->pageCount) +
                                  " pages contain readable text. Remaining pages may be image-only or may have lost "
                                  "content; review the exported copy visually.");
    }
    auto qpdf = toolPath("qpdf");
    if (!qpdf) return result;
    auto check =
        runCheck(*qpdf, {"--check", "--warning-exit-0", output.string()}, std::min(120.0, commandTimeout(output)));
    if (!check || check->status != 0) {
        return {false, {shorten(check ? check->combined() : "", "qpdf validation reported PDF structure errors.")}};
    }
    const std::string findings = qpdfFindings(check->combined());
    if (!text_helpers::trimmed(findings).empty()) {
        result.warnings.push_back(shorten(findings, "qpdf reported PDF structure warnings."));
    }
    return result;
}

}  // namespace

ValidationResult validateOutput(const std::filesystem::path& output, FileRepairKind kind,
                                const std::optional<std::filesystem::path>& sourceURL) {
    std::error_code error;
    if (!std::filesystem::exists(output, error) || fileByteSize(output) <= 0) {
        return {false, {"The exported file is missing or empty."}};
    }
    switch (kind) {
        case FileRepairKind::zipArchive:
        case FileRepairKind::officeDocument:
            return validateArchive(output, kind);
        case FileRepairKind::pdfDocument:
            return validatePDF(output);
        case FileRepairKind::videoContainer:
        case FileRepairKind::audioFile:
            return validateMedia(output, kind, sourceURL);
        case FileRepairKind::imageFile:
            if (!decodeImageFile(output))
                return {false,
                        {platform::layoutText("The exported image could not be reopened by macOS.",
                                              "The exported image could not be reopened by the image decoders.")}};
            return {true, {}};
        case FileRepairKind::unknown:
            break;
    }
    return {false, {"Unsupported output type."}};
}

void requireValidatedExport(const ValidationResult& result, const std::filesystem::path& outputURL) {
    if (result.ok) return;
    std::error_code ignored;
    std::filesystem::remove_all(outputURL, ignored);
    throw RepairError::writeFailed(result.warnings.empty() ? "The exported copy did not pass Tidewell validation."
                                                           : text_helpers::joined(result.warnings, " "));
}

void validateExtractedTree(const std::filesystem::path& root, std::int64_t maximumBytes) {
    const std::string rootPath = std::filesystem::absolute(root).lexically_normal().string();
    const std::string rootPrefix = rootPath.ends_with("/") ? rootPath : rootPath + "/";
    std::int64_t total = 0;
    std::error_code error;
    std::filesystem::recursive_directory_iterator it(root, error), end;
    for (; !error && it != end; it.increment(error)) {
        const auto& entry = *it;
        std::error_code statusError;
        if (entry.is_symlink(statusError)) {
            throw RepairError::toolFailed("Archive contains a symbolic link and was not rebuilt.");
        }
        const std::string itemPath = std::filesystem::absolute(entry.path()).lexically_normal().string();
        if (!itemPath.starts_with(rootPrefix)) {
            throw RepairError::toolFailed("Archive extraction attempted to leave its temporary folder.");
        }
        if (!entry.is_regular_file(statusError)) continue;
        const auto size = entry.file_size(statusError);
        total += statusError ? 0 : static_cast<std::int64_t>(size);
        if (total > maximumBytes) {
            throw RepairError::toolFailed("Archive extraction exceeded the safe 8 GB temporary-work limit.");
        }
    }
    // A folder that cannot be walked (an extracted mode of 000, say) could hide a link.
    if (error) throw RepairError::toolFailed("Archive extraction could not be checked completely and was not rebuilt.");
}

}  // namespace tidewell::FileFirstAidEngine
