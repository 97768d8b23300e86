#include "firstaid/content_extraction.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/media_container.h"
#include "firstaid/repair_export.h"
#include "model/app_model.h"
#include "model/background_work.h"
#include "model/folder_panel.h"
#include "model/items_by_id.h"
#include "model/repair_batch.h"
#include "model/repair_export_result.h"
#include "model/repair_readiness.h"
#include "recovery/readable/external_recovery_engine.h"
#include "util/text_helpers.h"

namespace tidewell {

namespace {

namespace fs = std::filesystem;

std::string withLines(const std::string& heading, const std::vector<std::string>& lines) {
    return lines.empty() ? std::string() : heading + text_helpers::joined(lines, "\n");
}

void startJobExport(FileRepairJob& job, double progress, const std::string& statusText) {
    job.phase = RepairTaskPhase::repairing;
    job.statusText = statusText;
    job.progress = progress;
    job.errorMessage.reset();
}

void storeOutcome(FileRepairJob& job, const FileRepairOutcome& outcome) {
    job.outcome = outcome;
    job.phase = outcome.state == RepairOutcomeState::repaired ? RepairTaskPhase::repaired : RepairTaskPhase::partial;
    job.statusText = rawValue(outcome.state);
    job.progress = 1.0;
}

}  // namespace

FileFirstAidEngine::RepairProgress AppModel::repairProgressPoster(const std::string& jobID) {
    return [this, jobID](RepairProgressStage stage, double fraction, const std::string& line) {
        postToContext(this, [this, jobID, stage, fraction, line] {
            updateRepairJob(jobID, [&](FileRepairJob& job) {
                job.phase =
                    stage == RepairProgressStage::verifying ? RepairTaskPhase::verifying : RepairTaskPhase::repairing;
                job.statusText = line;
                job.progress = fraction;
            });
        });
    };
}

void AppModel::setRepairInProgress(bool running) {
    if (repairInProgress_ == running) return;
    repairInProgress_ = running;
    emit repairInProgressChanged();
    emit repairQueueInProgressChanged();
}

void AppModel::beginRepairExport() {
    setRepairInProgress(true);
    repairCancellationToken_ = std::make_shared<RepairCancellationToken>();
}

void AppModel::endRepairExport() {
    setRepairInProgress(false);
    setRepairStatusText(std::nullopt);
    repairCancellationToken_.reset();
}

void AppModel::runRepairExport(const FileRepairJob& job, const fs::path& output, bool extraction,
                               std::function<void(WorkResult<RepairExportResult>)> finished,
                               const std::optional<fs::path>& reference) {
    auto work = [diagnostic = *job.diagnostic, title = job.title(), output, extraction, reference,
                 token = repairCancellationToken_, progress = repairProgressPoster(job.id)] {
        return captureWork<RepairExportResult>([&] {
            RepairExportResult result;
            if (extraction) {
                result.outcome = FileFirstAidEngine::extractReadableContents(diagnostic, output, token, progress);
            } else if (reference) {
                result.outcome =
                    FileFirstAidEngine::repairWithReference(diagnostic, *reference, output, token, progress);
            } else {
                result.outcome = FileFirstAidEngine::repair(diagnostic, output, token, progress);
            }
            result.record = makeRepairHistoryRecord(title, diagnostic, result.outcome);
            if (!extraction) {
                auto again = captureWork<FileRepairDiagnostic>(
                    [&] { return FileFirstAidEngine::diagnose(result.outcome.outputURL); });
                result.outputDiagnostic = again.value;
            }
            return result;
        });
    };
    runInBackground(userInitiatedPool_, this, work, std::move(finished));
}

void AppModel::exportRepairCopy() {
    const std::optional<FileRepairJob> job = selectedRepairJob();
    if (!job || !job->diagnostic || repairInProgress_ || !dialogs_) return;
    exportSelectedRepairCopy(*job, std::nullopt);
}

bool AppModel::selectedRepairJobNeedsReference() const {
    const std::optional<FileRepairJob> job = selectedRepairJob();
    return job && job->diagnostic && FileFirstAidEngine::canRebuildFromReference(*job->diagnostic);
}

void AppModel::rebuildRepairCopyFromReference() {
    const std::optional<FileRepairJob> job = selectedRepairJob();
    if (!selectedRepairJobNeedsReference() || repairInProgress_ || !dialogs_) return;
    const std::vector<fs::path> chosen = dialogs_->chooseForOpening(
        {.title = "Choose a healthy clip from the same camera…",
         .canChooseFiles = true,
         .canChooseDirectories = false,
         .allowsMultipleSelection = false,
         .message = "Tidewell reads how the camera records from this clip to rebuild the missing movie metadata. "
                    "Neither file will be changed.",
         .allowedContentTypes = FileFirstAidEngine::supportedContentTypes()});
    if (chosen.empty()) return;
    exportSelectedRepairCopy(*job, chosen.front());
}

void AppModel::exportSelectedRepairCopy(const FileRepairJob& selected, const std::optional<fs::path>& reference) {
    const FileRepairJob* job = &selected;
    const std::optional<fs::path> output = dialogs_->chooseForSaving(
        {.title = "Export repaired copy",
         .suggestedName = FileFirstAidEngine::suggestedOutputName(*job->diagnostic),
         .directory = job->sourceURL.parent_path(),
         .message = "Choose where to save the repaired copy. Tidewell will not overwrite the original damaged file."});
    if (!output) return;
    if (standardizedPath(*output) == standardizedPath(job->sourceURL))
        return presentAction("Choose a different output path. Tidewell never overwrites the original file.",
                             ActionResultKind::failure);
    beginRepairExport();
    updateRepairJob(job->id, [](FileRepairJob& item) { startJobExport(item, 0.05, "Preparing export"); });
    setRepairStatusText("Exporting repaired copy");
    runRepairExport(
        *job, *output, false,
        [this, id = job->id](WorkResult<RepairExportResult> exported) {
            if (exported.succeeded()) {
                const FileRepairOutcome& outcome = exported.value->outcome;
                updateRepairJob(id, [&](FileRepairJob& item) { storeOutcome(item, outcome); });
                presentAction(outcome.message + "\nSaved to: " + outcome.outputURL.string() +
                                  withLines("\n\nWarnings:\n", outcome.warnings),
                              outcome.state == RepairOutcomeState::repaired ? ActionResultKind::success
                                                                            : ActionResultKind::warning);
                if (desktop_) desktop_->revealInFileBrowser({outcome.outputURL});
                if (exported.value->outputDiagnostic)
                    assign(repairDiagnostic_, exported.value->outputDiagnostic, &AppModel::repairDiagnosticChanged);
                appendRepairHistory(exported.value->record);
            } else {
                failJobExport(id, exported, "Repair cancelled.", "Could not export repaired copy: ");
            }
            endRepairExport();
        },
        reference);
}

void AppModel::failJobExport(const std::string& id, const WorkResult<RepairExportResult>& failure,
                             const std::string& cancelledMessage, const std::string& failurePrefix) {
    const std::string message = failure.cancelled ? cancelledMessage : failurePrefix + failure.errorDescription;
    updateRepairJob(id, [&](FileRepairJob& job) {
        job.phase = failure.cancelled ? RepairTaskPhase::cancelled : RepairTaskPhase::failed;
        job.statusText = message;
        job.errorMessage = failure.errorDescription;
    });
    presentAction(message, failure.cancelled ? ActionResultKind::warning : ActionResultKind::failure);
}

void AppModel::extractReadableRepairContents() {
    const std::optional<FileRepairJob> job = selectedRepairJob();
    if (!job || !job->diagnostic || repairInProgress_) return;
    if (!job->diagnostic->canExtractReadableContent)
        return presentAction("Tidewell could not find enough ZIP structure to safely extract readable contents.",
                             ActionResultKind::failure);
    const std::optional<fs::path> chosen =
        chooseFolder(dialogs_, "Choose a folder for recovered contents",
                     "Tidewell will create a separate folder containing individually readable files. The original "
                     "will not be changed.",
                     true);
    if (!chosen) return;
    beginRepairExport();
    updateRepairJob(job->id, [](FileRepairJob& item) { startJobExport(item, 0.05, "Preparing content recovery"); });
    setRepairStatusText("Extracting readable contents");
    runRepairExport(*job, *chosen, true, [this, id = job->id](WorkResult<RepairExportResult> extracted) {
        if (extracted.succeeded()) {
            const FileRepairOutcome& outcome = extracted.value->outcome;
            updateRepairJob(id, [&](FileRepairJob& item) {
                item.outcome = outcome;
                item.phase = RepairTaskPhase::partial;
                item.statusText = "Readable contents extracted";
                item.progress = 1.0;
            });
            presentAction(outcome.message + "\nSaved to: " + outcome.outputURL.string() +
                              withLines("\n\nNotes:\n", outcome.warnings),
                          ActionResultKind::warning);
            if (desktop_) desktop_->revealInFileBrowser({outcome.outputURL});
            appendRepairHistory(extracted.value->record);
        } else {
            failJobExport(id, extracted, "Content recovery cancelled.", "Could not extract readable contents: ");
        }
        endRepairExport();
    });
}

void AppModel::exportAllRepairableCopies() {
    if (repairInProgress_) return;
    auto batch = std::make_shared<RepairBatch>();
    for (const FileRepairJob& job : repairJobs_)
        if (isReadyForRepair(job)) batch->jobIDs.push_back(job.id);
    if (batch->jobIDs.empty())
        return presentAction("Add and diagnose at least one repairable file first.", ActionResultKind::info);
    const std::optional<fs::path> chosen =
        chooseFolder(dialogs_, "Choose a folder for repaired copies",
                     "Tidewell will create repaired copies here and leave every original untouched.", true);
    if (!chosen) return;
    batch->folder = *chosen;
    beginRepairExport();
    exportNextBatchItem(batch);
}

void AppModel::exportNextBatchItem(const std::shared_ptr<RepairBatch>& batch) {
    std::optional<FileRepairJob> job;
    while (!job && !batch->cancelled && batch->next < batch->jobIDs.size()) {
        const FileRepairJob* queued = withID(repairJobs_, batch->jobIDs[batch->next]);
        if (queued && queued->diagnostic) job = *queued;
        if (!job) ++batch->next;  // removed from the queue meanwhile
    }
    if (!job) return finishRepairBatch(*batch);
    const std::size_t position = batch->next;
    const std::size_t count = batch->jobIDs.size();
    updateRepairJob(job->id, [&](FileRepairJob& item) {
        startJobExport(item, RepairBatch::startProgress(position, count), "Preparing export");
    });
    setRepairStatusText("Repairing " + std::to_string(position + 1) + " of " + std::to_string(count) + ": " +
                        job->title());
    const fs::path output = FileFirstAidEngine::uniqueOutputURL(*job->diagnostic, batch->folder);
    runRepairExport(
        *job, output, false, [this, batch, id = job->id, name = job->title()](WorkResult<RepairExportResult> exported) {
            ++batch->next;
            if (exported.succeeded()) {
                ++batch->exported;
                updateRepairJob(id, [&](FileRepairJob& item) { storeOutcome(item, exported.value->outcome); });
                appendRepairHistory(exported.value->record);
            } else if (exported.cancelled) {
                batch->cancelled = true;
                updateRepairJob(id, [](FileRepairJob& item) {
                    item.phase = RepairTaskPhase::cancelled;
                    item.statusText = "Repair cancelled";
                });
            } else {
                batch->failedNames.push_back(name);
                updateRepairJob(id, [&](FileRepairJob& item) {
                    item.phase = RepairTaskPhase::failed;
                    item.statusText = "Could not export repaired copy";
                    item.errorMessage = exported.errorDescription;
                });
            }
            exportNextBatchItem(batch);
        });
}

void AppModel::finishRepairBatch(const RepairBatch& batch) {
    if (desktop_) desktop_->revealInFileBrowser({batch.folder});
    const bool clean = batch.failedNames.empty() && !batch.cancelled;
    presentAction(batch.message(), clean ? ActionResultKind::success : ActionResultKind::warning);
    endRepairExport();
}

}  // namespace tidewell
