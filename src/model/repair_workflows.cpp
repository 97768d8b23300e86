#include <algorithm>

#include "firstaid/file_first_aid_engine.h"
#include "model/app_model.h"
#include "model/background_work.h"
#include "model/items_by_id.h"
#include "model/repair_readiness.h"
#include "recovery/readable/external_recovery_engine.h"

namespace tidewell {

namespace {

namespace fs = std::filesystem;

constexpr const char* unavailableOutputMessage = "This repaired copy is no longer available at its saved location.";

bool isQueueableFile(const fs::path& url) {
    std::error_code error;
    return fs::exists(url, error) && !fs::is_directory(url, error);
}

}  // namespace

std::optional<FileRepairJob> AppModel::selectedRepairJob() const {
    return withIDOrFirst(repairJobs_, selectedRepairJobID_);
}

std::int64_t AppModel::readyRepairJobCount() const {
    return std::count_if(repairJobs_.begin(), repairJobs_.end(), isReadyForRepair);
}

void AppModel::updateRepairJob(const std::string& id, const std::function<void(FileRepairJob&)>& change) {
    FileRepairJob* job = withID(repairJobs_, id);
    if (!job) return;
    change(*job);
    emit repairJobsChanged();
}

void AppModel::setRepairStatusText(std::optional<std::string> text) {
    assign(repairStatusText_, std::move(text), &AppModel::repairStatusTextChanged);
}

void AppModel::chooseRepairFile() {
    if (!dialogs_) return;
    addRepairFiles(
        dialogs_->chooseForOpening({.title = "Choose files to diagnose",
                                    .canChooseFiles = true,
                                    .canChooseDirectories = false,
                                    .allowsMultipleSelection = true,
                                    .message = "Tidewell will inspect files locally. Originals will not be changed.",
                                    .allowedContentTypes = FileFirstAidEngine::supportedContentTypes()}));
}

void AppModel::addRepairFiles(const std::vector<fs::path>& urls) {
    std::vector<std::string> added;
    for (const fs::path& url : urls) {
        if (!isQueueableFile(url)) continue;
        const fs::path standardized = standardizedPath(url);
        const bool queued = std::any_of(repairJobs_.begin(), repairJobs_.end(), [&](const FileRepairJob& job) {
            return standardizedPath(job.sourceURL) == standardized;
        });
        if (queued) continue;
        repairJobs_.emplace_back(url);
        added.push_back(repairJobs_.back().id);
    }
    if (added.empty()) return;
    emit repairJobsChanged();
    if (!selectedRepairJobID_) {
        assign(selectedRepairJobID_, std::optional<std::string>(added.front()), &AppModel::selectedRepairJobIDChanged);
        assign(repairSelectedURL_, std::optional<fs::path>(selectedRepairJob()->sourceURL),
               &AppModel::repairSelectedURLChanged);
    }
    diagnoseRepairJobs(added);
}

void AppModel::diagnoseRepairJobs(const std::vector<std::string>& ids) {
    // Jobs asked for while a diagnosis runs join it, so no added file stays undiagnosed.
    pendingDiagnosisIDs_.insert(pendingDiagnosisIDs_.end(), ids.begin(), ids.end());
    if (isDiagnosingRepair_) return;
    assign(isDiagnosingRepair_, true, &AppModel::isDiagnosingRepairChanged);
    diagnoseNextRepairJob();
}

void AppModel::diagnoseNextRepairJob() {
    std::optional<FileRepairJob> job;
    while (!job && !pendingDiagnosisIDs_.empty()) {
        const std::string id = pendingDiagnosisIDs_.front();
        pendingDiagnosisIDs_.pop_front();
        if (const FileRepairJob* queued = withID(repairJobs_, id)) job = *queued;
    }
    if (!job) {
        assign(isDiagnosingRepair_, false, &AppModel::isDiagnosingRepairChanged);
        return setRepairStatusText(std::nullopt);
    }
    updateRepairJob(job->id, [](FileRepairJob& item) {
        item.phase = RepairTaskPhase::diagnosing;
        item.statusText = "Inspecting structure";
        item.progress = 0.12;
        item.errorMessage.reset();
    });
    assign(repairSelectedURL_, std::optional<fs::path>(job->sourceURL), &AppModel::repairSelectedURLChanged);
    setRepairStatusText("Diagnosing " + job->title());
    auto work = [url = job->sourceURL] {
        return captureWork<FileRepairDiagnostic>([&] { return FileFirstAidEngine::diagnose(url); });
    };
    runInBackground(userInitiatedPool_, this, work,
                    [this, id = job->id, name = job->title()](WorkResult<FileRepairDiagnostic> diagnosed) {
                        publishDiagnosis(id, name, std::move(diagnosed));
                        diagnoseNextRepairJob();
                    });
}

void AppModel::publishDiagnosis(const std::string& id, const std::string& name,
                                WorkResult<FileRepairDiagnostic> diagnosed) {
    if (!diagnosed.succeeded()) {
        updateRepairJob(id, [&](FileRepairJob& job) {
            job.phase = RepairTaskPhase::failed;
            job.statusText = "Diagnosis failed";
            job.progress = 0;
            job.errorMessage = diagnosed.errorDescription;
        });
        return presentAction("Could not diagnose " + name + ": " + diagnosed.errorDescription,
                             ActionResultKind::failure);
    }
    const FileRepairDiagnostic& diagnostic = *diagnosed.value;
    updateRepairJob(id, [&](FileRepairJob& job) {
        job.diagnostic = diagnostic;
        job.phase = diagnostic.canAttemptRepair ? RepairTaskPhase::ready : RepairTaskPhase::failed;
        job.statusText = diagnostic.canAttemptRepair ? "Ready to repair" : diagnostic.recommendedAction;
        job.progress = diagnostic.canAttemptRepair ? 1.0 : 0.35;
    });
    if (!selectedRepairJobID_ || *selectedRepairJobID_ == id) {
        assign(selectedRepairJobID_, std::optional<std::string>(id), &AppModel::selectedRepairJobIDChanged);
        assign(repairDiagnostic_, std::optional<FileRepairDiagnostic>(diagnostic), &AppModel::repairDiagnosticChanged);
    }
}

void AppModel::selectRepairJob(const FileRepairJob& job) {
    assign(selectedRepairJobID_, std::optional<std::string>(job.id), &AppModel::selectedRepairJobIDChanged);
    assign(repairSelectedURL_, std::optional<fs::path>(job.sourceURL), &AppModel::repairSelectedURLChanged);
    assign(repairDiagnostic_, job.diagnostic, &AppModel::repairDiagnosticChanged);
}

void AppModel::removeRepairJob(const FileRepairJob& job) {
    if (std::erase_if(repairJobs_, [&](const FileRepairJob& item) { return item.id == job.id; }) == 0) return;
    emit repairJobsChanged();
    if (selectedRepairJobID_ != job.id) return;
    if (repairJobs_.empty()) {
        assign(selectedRepairJobID_, {}, &AppModel::selectedRepairJobIDChanged);
        assign(repairSelectedURL_, {}, &AppModel::repairSelectedURLChanged);
        return assign(repairDiagnostic_, {}, &AppModel::repairDiagnosticChanged);
    }
    selectRepairJob(repairJobs_.front());
}

void AppModel::cancelRepair() {
    emit repairCancelled();
    if (!repairCancellationToken_) return;
    repairCancellationToken_->cancel();
    setRepairStatusText("Cancelling repair");
}

void AppModel::revealRepairOutput(const fs::path& url) {
    std::error_code error;
    if (!fs::exists(url, error)) return presentAction(unavailableOutputMessage, ActionResultKind::info);
    if (desktop_) desktop_->revealInFileBrowser({url});
}

void AppModel::openRepairOutput(const fs::path& url) {
    std::error_code error;
    if (!fs::exists(url, error)) return presentAction(unavailableOutputMessage, ActionResultKind::info);
    if (desktop_) desktop_->openWithDefaultApplication(url);
}

}  // namespace tidewell
