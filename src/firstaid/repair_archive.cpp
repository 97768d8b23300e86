#include <algorithm>
#include <system_error>

#include "firstaid/archive_diagnosis.h"
#include "firstaid/content_extraction.h"
#include "firstaid/export_validation.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/repair_exporters.h"
#include "firstaid/repair_limits.h"
#include "firstaid/stale_work_folders.h"
#include "firstaid/temporary_work_folder.h"
#include "firstaid/tool_output.h"
#include "firstaid/tool_runs.h"
#include "platform/layout_text.h"
#include "util/text_helpers.h"

namespace tidewell::FileFirstAidEngine {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kNamedSkippedEntries = 5;

// Used when extraction produced nothing: zip -FF rebuilds a directory from the
// entries it can still find.
FileRepairOutcome salvageArchiveDirectory(const RepairJob& job, const std::string& zip) {
    removeExistingOutput(job.output);
    job.report(RepairProgressStage::repairing, 0.58, "Salvaging the archive directory");
    const CommandOutput salvaged =
        job.run(zip, {"-FF", job.source().string(), "--out", job.output.string()}, std::nullopt, "y\n");
    if (salvaged.status != 0 || isMissingOrEmptyFile(job.output)) {
        throw RepairError::noRecoverableContent(
            shorten(salvaged.combined(), "No readable archive entries could be salvaged."));
    }
    job.report(RepairProgressStage::verifying, 0.86, "Verifying salvaged archive copy");
    std::vector<std::string> warnings{
        "The original ZIP directory could not be read. Tidewell rebuilt a separate archive from entries zip could "
        "salvage.",
        "Review the exported copy before relying on every file inside it."};
    const auto validation = job.validated();
    warnings.insert(warnings.end(), validation.begin(), validation.end());
    return job.outcome("Salvaged a separate archive copy from readable ZIP entries.", warnings, true);
}

std::size_t topLevelItemCount(const fs::path& folder) {
    std::error_code error;
    fs::directory_iterator items(folder, error);
    return error ? 0 : static_cast<std::size_t>(std::distance(items, fs::directory_iterator()));
}

}  // namespace

std::optional<std::string> skippedEntriesWarning(const std::vector<std::string>& listed,
                                                 const std::set<std::string>& extractedFiles) {
    std::set<std::string> missing;
    for (const auto& name : listed) {
        if (!name.ends_with("/") && !extractedFiles.contains(name)) missing.insert(name);
    }
    if (missing.empty()) return std::nullopt;
    std::vector<std::string> named(missing.begin(), missing.end());
    const bool more = named.size() > kNamedSkippedEntries;
    if (more) named.resize(kNamedSkippedEntries);
    return "Skipped " + std::to_string(missing.size()) + " unreadable archive " +
           (missing.size() == 1 ? "entry" : "entries") + ": " + text_helpers::joined(named, ", ") + (more ? " …" : "");
}

FileRepairOutcome repairArchive(const RepairJob& job) {
    const auto unzip = toolPath("unzip");
    const auto zip = toolPath("zip");
    if (!unzip || !zip)
        throw RepairError::toolFailed(
            platform::layoutText("macOS zip/unzip tools were not found.", "The zip/unzip tools were not found."));
    const TemporaryWorkFolder work(RepairWorkFolders::namePrefix);
    const ArchiveSafetyAssessment assessment = archiveSafetyAssessment(job.source(), logicalFileByteSize(job.source()));
    if (!assessment.isSafe()) throw RepairError::toolFailed(text_helpers::joined(assessment.issues, " "));

    job.report(RepairProgressStage::repairing, 0.25, "Extracting readable archive entries");
    const CommandOutput unzipped = job.run(*unzip, {"-q", "-o", job.source().string(), "-d", work.path().string()});
    grantOwnerAccessToFolders(work.path());
    const std::size_t itemCount = topLevelItemCount(work.path());
    if (itemCount == 0) return salvageArchiveDirectory(job, *zip);
    validateExtractedTree(work.path(), RepairLimits::maximumExpandedArchiveBytes);

    removeExistingOutput(job.output);
    job.report(RepairProgressStage::repairing, 0.58, "Rebuilding archive copy");
    const CommandOutput zipped = job.run(*zip, {"-q", "-r", "-y", fs::absolute(job.output).string(), "."}, work.path());
    if (zipped.status != 0 || isMissingOrEmptyFile(job.output)) {
        throw RepairError::toolFailed(shorten(zipped.combined(), "Could not write rebuilt archive."));
    }
    job.report(RepairProgressStage::verifying, 0.86, "Verifying exported copy");
    const auto validation = job.validated();

    std::vector<std::string> warnings;
    if (unzipped.status != 0) {
        warnings.push_back(shorten(unzipped.combined(), "Some archive entries could not be extracted."));
    }
    if (job.diagnostic.kind == FileRepairKind::officeDocument) {
        warnings.emplace_back(
            "Office files are rebuilt from readable ZIP package entries. Open the copy in Office/Keynote/Pages to "
            "verify content.");
    }
    if (auto skipped = skippedEntriesWarning(assessment.entries, extractedRelativeFilePaths(work.path()))) {
        warnings.push_back(*skipped);
    }
    warnings.insert(warnings.end(), validation.begin(), validation.end());
    return job.outcome("Rebuilt " + std::to_string(itemCount) + " readable archive entries into a new copy.", warnings);
}

}  // namespace tidewell::FileFirstAidEngine
