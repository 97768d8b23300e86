#include "firstaid/content_extraction.h"

#include <cerrno>
#include <fstream>
#include <optional>
#include <system_error>

#include "firstaid/archive_diagnosis.h"
#include "firstaid/command_runner.h"
#include "firstaid/export_validation.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/repair_limits.h"
#include "firstaid/temporary_work_folder.h"
#include "firstaid/text_helpers.h"
#include "firstaid/tool_output.h"
#include "firstaid/tool_runs.h"

namespace tidewell::FileFirstAidEngine {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kWorkFolderPrefix = "TidewellContentRescue-";
constexpr const char* kReportFileName = "Tidewell-Recovery-Report.txt";

// One extraction: its input, token, progress and the notes gathered on the way.
struct Extraction {
    const FileRepairDiagnostic& diagnostic;
    const std::shared_ptr<RepairCancellationToken>& token;
    const RepairProgress& progress;
    std::vector<std::string> warnings;

    void report(RepairProgressStage stage, double fraction, const std::string& line) const {
        if (progress) progress(stage, fraction, line);
    }
    CommandOutput run(const std::string& tool, const std::vector<std::string>& arguments,
                      const std::optional<std::string>& input = std::nullopt) const {
        return CommandRunner::run(tool, arguments, std::nullopt, input, token, commandTimeout(diagnostic.sourceURL));
    }
};

void refuseUnextractable(const FileRepairDiagnostic& diagnostic) {
    if (diagnostic.kind != FileRepairKind::zipArchive && diagnostic.kind != FileRepairKind::officeDocument) {
        throw RepairError::unsupported(
            "Readable-content extraction is currently available for ZIP, APK, and Office packages.");
    }
    if (!diagnostic.canExtractReadableContent) {
        throw RepairError::noRecoverableContent(
            "Tidewell could not find enough ZIP structure to safely look for readable contents.");
    }
}

bool isMissingOrEmpty(const fs::path& path) {
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error || size == 0;
}

// Lets zip -FF rebuild an index of the damaged archive in the work folder; the
// rebuilt archive is used only when it passes the same safety rules.
fs::path salvagedArchive(Extraction& extraction, const fs::path& work) {
    const auto zip = toolPath("zip");
    if (!zip) throw RepairError::toolFailed("macOS zip is unavailable for archive salvage.");
    extraction.report(RepairProgressStage::repairing, 0.2, "Rebuilding a safe temporary archive index");
    const fs::path salvaged = work / "salvaged.zip";
    const CommandOutput output =
        extraction.run(*zip, {"-FF", extraction.diagnostic.sourceURL.string(), "--out", salvaged.string()}, "y\n");
    if (output.status != 0 || isMissingOrEmpty(salvaged)) {
        throw RepairError::noRecoverableContent(
            shorten(output.combined(), "No readable archive contents could be salvaged."));
    }
    const ArchiveSafetyAssessment assessment = archiveSafetyAssessment(salvaged, logicalFileByteSize(salvaged));
    if (!assessment.isSafe() || assessment.entries.empty()) {
        throw RepairError::noRecoverableContent(assessment.issues.empty()
                                                    ? "The salvaged archive has no safe readable entries."
                                                    : firstaid_text::joined(assessment.issues, " "));
    }
    extraction.warnings.push_back(
        "The original archive directory was damaged. Tidewell rebuilt a temporary index and extracted only the "
        "entries it could list safely.");
    return salvaged;
}

// Unzips the archive into contents and checks what came out; notes go to the extraction.
std::set<std::string> extractFiles(Extraction& extraction, const fs::path& archive, const fs::path& contents) {
    const auto unzip = toolPath("unzip");
    if (!unzip) throw RepairError::toolFailed("macOS unzip is unavailable for readable-content extraction.");
    fs::create_directory(contents);
    extraction.report(RepairProgressStage::repairing, 0.56, "Extracting readable contents");
    const CommandOutput unzipped = extraction.run(*unzip, {"-q", "-o", archive.string(), "-d", contents.string()});
    grantOwnerAccessToFolders(contents);
    validateExtractedTree(contents, RepairLimits::maximumExpandedArchiveBytes);

    std::set<std::string> files = extractedRelativeFilePaths(contents);
    if (files.empty()) {
        throw RepairError::noRecoverableContent(
            shorten(unzipped.combined(), "No individually readable files could be extracted."));
    }
    if (unzipped.status != 0) {
        extraction.warnings.push_back(shorten(unzipped.combined(), "Some archive entries could not be extracted."));
    }
    if (extraction.diagnostic.kind == FileRepairKind::officeDocument) {
        extraction.warnings.push_back(
            "Office package structure may be incomplete. Files inside this folder (such as media, XML, or "
            "attachments) are recovered separately and are not a working Office document.");
    }
    return files;
}

void throwIfCancelled(const std::shared_ptr<RepairCancellationToken>& token) {
    if (token && token->isCancelled()) throw CommandRunner::CancellationError();
}

// Copies the extracted tree into a folder made here, so that nothing already
// at the output path is ever written into.
void copyContents(const fs::path& contents, const fs::path& output) {
    if (!fs::create_directory(output)) {
        throw fs::filesystem_error("Cannot create recovered folder", output,
                                   std::make_error_code(std::errc::file_exists));
    }
    fs::copy(contents, output, fs::copy_options::recursive);
}

void writeReport(const fs::path& file, const std::string& text) {
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream << text;
    stream.close();
    if (!stream) {
        throw fs::filesystem_error("Cannot write recovery report", file, std::make_error_code(std::errc::io_error));
    }
}

std::string extractedMessage(std::size_t count) {
    return "Extracted " + std::to_string(count) + " readable " + (count == 1 ? "file" : "files") +
           " into a separate folder.";
}

}  // namespace

FileRepairOutcome extractReadableContents(const FileRepairDiagnostic& diagnostic, const fs::path& outputDirectory,
                                          const std::shared_ptr<RepairCancellationToken>& cancellationToken,
                                          const RepairProgress& progress) {
    refuseUnextractable(diagnostic);
    const fs::path& source = diagnostic.sourceURL;
    const fs::path output = uniqueRecoveredContentsDirectory(diagnostic, outputDirectory);
    preflightExport(source, output, diagnostic.kind);

    const TemporaryWorkFolder work(kWorkFolderPrefix);
    throwIfCancelled(cancellationToken);
    Extraction extraction{diagnostic, cancellationToken, progress, {}};
    extraction.warnings.push_back(
        "This is a folder of individually readable contents, not a repaired replacement for the original " +
        firstaid_text::uppercased(firstaid_text::pathExtension(source)) + " file.");

    fs::path archive = source;
    if (!archiveSafetyAssessment(source, logicalFileByteSize(source)).isSafe()) {
        archive = salvagedArchive(extraction, work.path());
    }
    const fs::path contents = work.path() / "contents";
    const std::set<std::string> files = extractFiles(extraction, archive, contents);
    extraction.report(RepairProgressStage::verifying, 0.86, "Writing recovered contents");
    copyContents(contents, output);
    const std::string report = contentExtractionReport(source, output, files, extraction.warnings);
    writeReport(output / kReportFileName, report);

    return FileRepairOutcome{.outputURL = output,
                             .state = RepairOutcomeState::partial,
                             .message = extractedMessage(files.size()),
                             .warnings = extraction.warnings,
                             .report = report,
                             .exportKind = RepairExportKind::extractedContents};
}

}  // namespace tidewell::FileFirstAidEngine
