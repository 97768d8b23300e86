#include "firstaid/archive_diagnosis.h"

#include <algorithm>

#include "firstaid/file_first_aid_engine.h"
#include "firstaid/file_samples.h"
#include "firstaid/tool_output.h"
#include "firstaid/tool_runs.h"
#include "util/byte_size_text.h"
#include "util/string_helpers.h"
#include "util/text_helpers.h"

namespace tidewell::FileFirstAidEngine {

namespace {

const std::string_view localHeader("PK\x03\x04", 4);
const std::string_view centralDirectory("PK\x01\x02", 4);
const std::string_view endOfCentralDirectory("PK\x05\x06", 4);

RepairFinding presence(bool found, std::string title, std::string foundText, std::string missingText) {
    return found ? RepairFinding(std::move(title), std::move(foundText), RepairFindingLevel::ok)
                 : RepairFinding(std::move(title), std::move(missingText), RepairFindingLevel::failed);
}

// The tool-driven findings: the archive test and the entry listing (run once
// per diagnosis and shared with the safety assessment and the preview).
void appendToolFindings(const std::filesystem::path& url, FileRepairKind kind,
                        const std::optional<CommandOutput>& listing, std::vector<RepairFinding>& findings) {
    auto unzip = toolPath("unzip");
    if (!unzip) return;
    if (auto test = runCheck(*unzip, {"-tqq", url.string()})) {
        if (test->status == 0) {
            findings.emplace_back("Archive test", "unzip can read the archive.", RepairFindingLevel::ok);
        } else {
            findings.emplace_back("Archive test", shorten(test->combined(), "unzip reported archive issues."),
                                  RepairFindingLevel::warning);
        }
    }
    if (!listing || text_helpers::trimmed(listing->stdoutText).empty()) return;
    const auto entries = text_helpers::splitDroppingEmpty(listing->stdoutText, "\n");
    findings.emplace_back("Readable entries", std::to_string(entries.size()) + " entries listed.",
                          RepairFindingLevel::ok);
    if (kind == FileRepairKind::officeDocument) {
        for (auto& finding : officeFindings(url, entries)) findings.push_back(std::move(finding));
    }
}

std::string archiveRecommendedAction(bool repairable, bool officeProblem, const ArchiveSafetyAssessment& assessment) {
    if (repairable) {
        return "Export a rebuilt copy from readable archive entries. If the directory is damaged, Tidewell will "
               "attempt a separate ZIP salvage copy. The original file will not be changed.";
    }
    if (officeProblem) {
        return "A required Office package part is missing or unreadable, so Tidewell will not create an invalid "
               "presentation, document, or workbook. You can still try extracting readable contents.";
    }
    if (!assessment.issues.empty()) return assessment.issues.front();
    return "No recoverable ZIP structure was detected in this scan.";
}

// "folder/" ends in "folder", as a path's last component does.
std::string lastPathComponent(const std::string& entry) {
    const auto pieces = text_helpers::splitDroppingEmpty(entry, "/");
    return pieces.empty() ? std::string() : pieces.back();
}

}  // namespace

FileRepairDiagnostic diagnoseArchive(const std::filesystem::path& url, FileRepairKind kind, std::int64_t sizeBytes) {
    const auto head = headSample(url);
    const auto tail = tailSample(url);
    const bool hasLocalHeader = findBytes(head, localHeader) || findBytes(tail, localHeader);
    const bool hasCentralDirectory = findBytes(tail, centralDirectory).has_value();
    const bool hasEnd = findBytes(tail, endOfCentralDirectory).has_value();

    auto diagnostic = startDiagnostic(url, kind, sizeBytes);
    auto& findings = diagnostic.findings;
    findings.push_back(presence(hasLocalHeader, "Local file headers", "At least one ZIP local header was found.",
                                "No local ZIP header was found in the sampled data."));
    findings.push_back(presence(hasCentralDirectory, "Central directory",
                                "The archive directory is present near the end of the file.",
                                "The archive directory was not found in the tail sample."));
    findings.push_back(presence(hasEnd, "End of central directory", "The ZIP end marker is present.",
                                "The ZIP end marker is missing or outside the sampled tail."));

    const auto unzip = toolPath("unzip");
    const auto listing = unzip ? runCheck(*unzip, {"-Z1", url.string()}) : std::nullopt;
    const auto assessment = archiveSafetyAssessment(url, logicalFileByteSize(url), listedEntries(listing));
    std::vector<std::string> missingParts;
    std::optional<std::string> officeIssue;
    if (kind == FileRepairKind::officeDocument) {
        if (!assessment.entries.empty()) {
            for (const auto& part : requiredOfficeEntries(text_helpers::pathExtension(url))) {
                const auto& entries = assessment.entries;
                if (std::find(entries.begin(), entries.end(), part) == entries.end()) missingParts.push_back(part);
            }
        }
        officeIssue = requiredOfficePartsIssue(url);
    }
    if (!assessment.entries.empty()) {
        if (assessment.isSafe()) {
            findings.emplace_back("Archive safety",
                                  std::to_string(assessment.entries.size()) + " entries, " +
                                      tidewellString(assessment.expandedBytes) + " expanded.",
                                  RepairFindingLevel::ok);
        } else {
            findings.emplace_back("Archive safety", text_helpers::joined(assessment.issues, " "),
                                  RepairFindingLevel::failed);
        }
    }
    if (!missingParts.empty()) {
        findings.emplace_back("Required Office parts",
                              "Cannot create a valid Office copy because these required parts are missing: " +
                                  text_helpers::joined(missingParts, ", ") + ".",
                              RepairFindingLevel::failed);
    }
    if (officeIssue) findings.emplace_back("Required Office content", *officeIssue, RepairFindingLevel::failed);
    appendToolFindings(url, kind, listing, findings);

    const bool structure = hasLocalHeader || hasCentralDirectory;
    const bool officeProblem = !missingParts.empty() || officeIssue.has_value();
    diagnostic.canAttemptRepair = structure && assessment.isSafe() && !officeProblem;
    diagnostic.canExtractReadableContent = structure && toolPath("zip").has_value();
    diagnostic.recommendedAction = archiveRecommendedAction(diagnostic.canAttemptRepair, officeProblem, assessment);
    diagnostic.previewItems = archivePreviewItems(url, assessment.entries);
    return diagnostic;
}

std::vector<RepairPreviewItem> archivePreviewItems(const std::filesystem::path& url,
                                                   const std::vector<std::string>& entries) {
    const std::string extension = text_helpers::pathExtension(url);
    std::vector<RepairPreviewItem> items;
    items.emplace_back("Package", extension.empty() ? "Archive" : text_helpers::uppercased(extension), "archivebox");
    items.emplace_back(
        "Readable entries",
        entries.empty() ? "No entry list available yet." : std::to_string(entries.size()) + " entries detected.",
        "list.bullet");
    for (std::size_t i = 0; i < std::min<std::size_t>(entries.size(), 8); ++i) {
        const std::string name = lastPathComponent(entries[i]);
        items.emplace_back(tidewellDisplayName(name.empty() ? entries[i] : name), entries[i], "doc");
    }
    return items;
}

}  // namespace tidewell::FileFirstAidEngine
