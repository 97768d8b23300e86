#include "firstaid/repair_export.h"

#include <system_error>

#include "firstaid/export_validation.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/output_files.h"
#include "firstaid/repair_exporters.h"
#include "firstaid/tool_output.h"
#include "util/byte_size_text.h"
#include "util/text_helpers.h"

namespace tidewell::FileFirstAidEngine {

namespace fs = std::filesystem;

void RepairJob::report(RepairProgressStage stage, double fraction, const std::string& line) const {
    if (progress) progress(stage, fraction, line);
}

void RepairJob::throwIfCancelled() const {
    if (token && token->isCancelled()) throw CommandRunner::CancellationError();
}

CommandOutput RepairJob::run(const std::string& tool, const std::vector<std::string>& arguments,
                             const std::optional<fs::path>& directory, const std::optional<std::string>& input) const {
    return CommandRunner::run(tool, arguments, directory, input, token, commandTimeout(source()));
}

std::vector<std::string> RepairJob::validated() const {
    const ValidationResult result = validateOutput(output, diagnostic.kind, source());
    requireValidatedExport(result, output);
    return result.warnings;
}

FileRepairOutcome RepairJob::outcome(const std::string& message, const std::vector<std::string>& warnings,
                                     bool alwaysPartial) const {
    const RepairOutcomeState state =
        alwaysPartial || !warnings.empty() ? RepairOutcomeState::partial : RepairOutcomeState::repaired;
    return FileRepairOutcome{.outputURL = output,
                             .state = state,
                             .message = message,
                             .warnings = warnings,
                             .report = diagnosticReport(source(), output, state, warnings),
                             .exportKind = RepairExportKind::repairedCopy};
}

void removeExistingOutput(const fs::path& output) {
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(output, error))) return;  // never a folder's contents
    fs::remove(output, error);
}

bool isMissingOrEmptyFile(const fs::path& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error || size == 0;
}

FileRepairOutcome repair(const FileRepairDiagnostic& diagnostic, const fs::path& outputURL,
                         const std::shared_ptr<RepairCancellationToken>& cancellationToken,
                         const RepairProgress& progress) {
    const RepairJob job{diagnostic, outputURL, cancellationToken, progress};
    job.throwIfCancelled();
    preflightExport(diagnostic.sourceURL, outputURL, diagnostic.kind);
    job.report(RepairProgressStage::repairing, 0.08, "Preparing export");
    switch (diagnostic.kind) {
        case FileRepairKind::zipArchive:
        case FileRepairKind::officeDocument:
            return repairArchive(job);
        case FileRepairKind::pdfDocument:
            return repairPDF(job);
        case FileRepairKind::videoContainer:
            return repairVideo(job);
        case FileRepairKind::imageFile:
            return repairImage(job);
        case FileRepairKind::audioFile:
            return repairAudio(job);
        case FileRepairKind::unknown:
            break;
    }
    throw RepairError::unsupported("This file type is not supported.");
}

namespace {

// Name parts of the suggested output: base and extension ("" when none).
std::pair<std::string, std::string> suggestedNameParts(const FileRepairDiagnostic& diagnostic) {
    const fs::path& source = diagnostic.sourceURL;
    const std::string base = source.stem().string();
    const std::string extension = text_helpers::pathExtension(source);
    const std::string lowered = text_helpers::lowercased(extension);
    if (diagnostic.kind == FileRepairKind::imageFile && (lowered == "heic" || lowered == "gif")) {
        return {base + "-repaired", "png"};
    }
    return {base + "-repaired", extension};
}

}  // namespace

std::string suggestedOutputName(const FileRepairDiagnostic& diagnostic) {
    const auto [base, extension] = suggestedNameParts(diagnostic);
    return extension.empty() ? base : base + "." + extension;
}

fs::path uniqueOutputURL(const FileRepairDiagnostic& diagnostic, const fs::path& directory) {
    const auto [base, extension] = suggestedNameParts(diagnostic);
    return firstFreeOutputPath(directory, base, extension);
}

std::string diagnosticReport(const fs::path& source, const std::optional<fs::path>& output, RepairOutcomeState state,
                             const std::vector<std::string>& warnings) {
    std::vector<std::string> lines{"Tidewell File First Aid Report", "State: " + rawValue(state),
                                   "Source: " + source.filename().string(),
                                   "Source size: " + tidewellString(fileByteSize(source))};
    if (output) {
        lines.push_back("Output: " + output->filename().string());
        lines.push_back("Output size: " + tidewellString(fileByteSize(*output)));
    }
    if (warnings.empty()) {
        lines.emplace_back("Warnings: none");
    } else {
        lines.emplace_back("Warnings:");
        for (const auto& warning : warnings) lines.push_back("- " + warning);
    }
    lines.emplace_back("Original file was not overwritten.");
    return text_helpers::joined(lines, "\n");
}

}  // namespace tidewell::FileFirstAidEngine
