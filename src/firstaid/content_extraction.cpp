#include "firstaid/content_extraction.h"

#include <cerrno>
#include <optional>
#include <system_error>

#include "firstaid/archive_diagnosis.h"
#include "firstaid/export_validation.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/output_files.h"
#include "firstaid/repair_exporters.h"
#include "firstaid/repair_limits.h"
#include "firstaid/temporary_work_folder.h"
#include "firstaid/tool_output.h"
#include "firstaid/tool_runs.h"
#include "platform/layout_text.h"
#include "process/command_runner.h"
#include "util/text_helpers.h"

namespace tidewell::FileFirstAidEngine {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kWorkFolderPrefix = "TidewellContentRescue-";
constexpr const char* kReportFileName = "Tidewell-Recovery-Report.txt";

// Lets zip -FF rebuild an index of the damaged archive in the work folder; the
// rebuilt archive is used only when it passes the same safety rules.
fs::path salvagedArchive(const RepairJob& job, std::vector<std::string>& warnings, const fs::path& work) {
    const auto zip = toolPath("zip");
    if (!zip)
        throw RepairError::toolFailed(platform::layoutText("macOS zip is unavailable for archive salvage.",
                                                           "The zip tool is unavailable for archive salvage."));
    job.report(RepairProgressStage::repairing, 0.2, "Rebuilding a safe temporary archive index");
    const fs::path salvaged = work / "salvaged.zip";
    const CommandOutput output =
        job.run(*zip, {"-FF", job.source().string(), "--out", salvaged.string()}, std::nullopt, "y\n");
    if (output.status != 0 || isMissingOrEmptyFile(salvaged)) {
        throw RepairError::noRecoverableContent(
            shorten(output.combined(), "No readable archive contents could be salvaged."));
    }
    const ArchiveSafetyAssessment assessment = archiveSafetyAssessment(salvaged, logicalFileByteSize(salvaged));
    if (!assessment.isSafe() || assessment.entries.empty()) {
        throw RepairError::noRecoverableContent(assessment.issues.empty()
                                                    ? "The salvaged archive has no safe readable entries."
                                                    : text_helpers::joined(assessment.issues, " "));
    }
    warnings.push_back(
        "The original archive directory was damaged. Tidewell rebuilt a temporary index and extracted only the "
        "entries it could list safely.");
    return salvaged;
}

// Unzips the archive into contents and checks what came out; notes go to warnings.
std::set<std::string> extractFiles(const RepairJob& job, std::vector<std::string>& warnings, const fs::path& archive,
                                   const fs::path& contents) {
    const auto unzip = toolPath("unzip");
    if (!unzip)
        throw RepairError::toolFailed(
            platform::layoutText("macOS unzip is unavailable for readable-content extraction.",
                                 "The unzip tool is unavailable for readable-content extraction."));
    fs::create_directory(contents);
    job.report(RepairProgressStage::repairing, 0.56, "Extracting readable contents");
    const CommandOutput unzipped = job.run(*unzip, {"-q", "-o", archive.string(), "-d", contents.string()});
    grantOwnerAccessToFolders(contents);
    validateExtractedTree(contents, RepairLimits::maximumExpandedArchiveBytes);

    std::set<std::string> files = extractedRelativeFilePaths(contents);
    if (files.empty()) {
        throw RepairError::noRecoverableContent(
            shorten(unzipped.combined(), "No individually readable files could be extracted."));
    }
    if (unzipped.status != 0) {
        warnings.push_back(shorten(unzipped.combined(), "Some archive entries could not be extracted."));
    }
    if (job.diagnostic.kind == FileRepairKind::officeDocument) {
        warnings.push_back(
            "Office package structure may be incomplete. Files inside this folder (such as media, XML, or "
            "attachments) are recovered separately and are not a working Office document.");
    }
    return files;
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

std::string extractedMessage(std::size_t count) {
    return "Extracted " + std::to_string(count) + " readable " + (count == 1 ? "file" : "files") +
           " into a separate folder.";
}

}  // namespace

std::optional<RepairError> extractionRefusal(const FileRepairDiagnostic& diagnostic) {
    if (diagnostic.kind != FileRepairKind::zipArchive && diagnostic.kind != FileRepairKind::officeDocument) {
        return RepairError::unsupported(
            "Readable-content extraction is currently available for ZIP, APK, and Office packages.");
    }
    if (!diagnostic.canExtractReadableContent) {
        return RepairError::noRecoverableContent(
            "Tidewell could not find enough ZIP structure to safely look for readable contents.");
    }
    return std::nullopt;
}

FileRepairOutcome extractReadableContents(const FileRepairDiagnostic& diagnostic, const fs::path& outputDirectory,
                                          const std::shared_ptr<RepairCancellationToken>& cancellationToken,
                                          const RepairProgress& progress) {
    if (auto refusal = extractionRefusal(diagnostic)) throw *refusal;
    const fs::path& source = diagnostic.sourceURL;
    const fs::path output = uniqueRecoveredContentsDirectory(diagnostic, outputDirectory);
    preflightExport(source, output, diagnostic.kind);

    const TemporaryWorkFolder work(kWorkFolderPrefix);
    const RepairJob job{diagnostic, output, cancellationToken, progress};
    job.throwIfCancelled();
    std::vector<std::string> warnings{
        "This is a folder of individually readable contents, not a repaired replacement for the original " +
        text_helpers::uppercased(text_helpers::pathExtension(source)) + " file."};

    fs::path archive = source;
    if (!archiveSafetyAssessment(source, logicalFileByteSize(source)).isSafe()) {
        archive = salvagedArchive(job, warnings, work.path());
    }
    const fs::path contents = work.path() / "contents";
    const std::set<std::string> files = extractFiles(job, warnings, archive, contents);
    job.report(RepairProgressStage::verifying, 0.86, "Writing recovered contents");
    copyContents(contents, output);
    const std::string report = contentExtractionReport(source, output, files, warnings);
    writeFileContents(output / kReportFileName, report, "Cannot write recovery report");

    return FileRepairOutcome{.outputURL = output,
                             .state = RepairOutcomeState::partial,
                             .message = extractedMessage(files.size()),
                             .warnings = warnings,
                             .report = report,
                             .exportKind = RepairExportKind::extractedContents};
}

}  // namespace tidewell::FileFirstAidEngine
