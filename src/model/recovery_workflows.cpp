#include <algorithm>
#include <cstdint>

#include "firstaid/file_first_aid_engine.h"
#include "model/app_model.h"
#include "model/background_work.h"
#include "model/folder_panel.h"
#include "model/items_by_id.h"
#include "platform/layout_text.h"
#include "recovery/deleted/deep_scan.h"
#include "recovery/deleted/exfat_deleted_recovery_engine.h"
#include "recovery/deleted/fat_deleted_recovery_engine.h"
#include "recovery/deleted/file_system_names.h"
#include "recovery/deleted/privileged_device_read.h"
#include "recovery/deleted/privileged_device_reader.h"
#include "recovery/readable/external_recovery_engine.h"

namespace tidewell {

namespace {

namespace fs = std::filesystem;

using ExportedFiles = std::vector<fs::path>;

constexpr const char* goneBeforeExportMessage =
    "The selected source is no longer mounted. Reconnect it before exporting recovered files.";

// "42% · Indexed 120 readable files": the whole part of the percentage, then the engine's text.
std::string progressStatus(double fraction, const std::string& text) {
    return std::to_string(static_cast<std::int64_t>(fraction * 100)) + "% · " + text;
}

bool isExFAT(const ExternalRecoveryVolume& volume) {
    return ExFATDeletedRecoveryEngine::isExFATFileSystem(volume.fileSystem);
}

template <typename Candidate>
std::vector<Candidate> selectedIn(const std::vector<Candidate>& candidates, const std::set<std::string>& ids,
                                  std::string (*idOf)(const Candidate&)) {
    std::vector<Candidate> selected;
    for (const Candidate& candidate : candidates)
        if (ids.contains(idOf(candidate))) selected.push_back(candidate);
    return selected;
}

std::string readableID(const RecoveryCandidate& candidate) {
    return candidate.id();
}

std::string deletedID(const DeletedRecovery::Candidate& candidate) {
    return candidate.id;
}

void toggled(std::set<std::string>& ids, const std::string& id) {
    if (!ids.erase(id)) ids.insert(id);
}

}  // namespace

// --- Source list

std::optional<ExternalRecoveryVolume> AppModel::selectedRecoveryVolume() const {
    return withIDOrFirst(recoveryVolumes_, selectedRecoveryVolumeID_);
}

std::optional<std::string> AppModel::deletedRecoveryRefusal() const {
    const std::optional<ExternalRecoveryVolume> selected = selectedRecoveryVolume();
    if (!selected) return std::nullopt;
    return DeletedRecovery::unsupportedMountedVolumeMessage(selected->fileSystem, selected->name);
}

std::vector<RecoveryCandidate> AppModel::selectedRecoveryCandidates() const {
    return selectedIn(recoveryCandidates_, selectedRecoveryCandidateIDs_, readableID);
}

std::vector<DeletedRecovery::Candidate> AppModel::selectedDeletedRecoveryCandidates() const {
    return selectedIn(deletedRecoveryCandidates_, selectedDeletedRecoveryCandidateIDs_, deletedID);
}

void AppModel::resetRecoveryScan() {
    // Work still running for the old source publishes nothing; it is stopped as well.
    ++recoveryGeneration_;
    for (auto* token : {&recoveryCancellationToken_, &deletedRecoveryCancellationToken_}) {
        if (*token) (*token)->cancel();
        token->reset();
    }
    clearReadableResults();
    assign(recoveryScanState_, RecoveryScanState::idle(), &AppModel::recoveryScanStateChanged);
    assign(recoveryStatusText_, {}, &AppModel::recoveryStatusTextChanged);
    clearDeletedResults();
    assign(deletedRecoveryScanState_, RecoveryScanState::idle(), &AppModel::deletedRecoveryScanStateChanged);
    assign(deletedRecoveryStatusText_, {}, &AppModel::deletedRecoveryStatusTextChanged);
    setDiskImage(std::nullopt, {});
}

void AppModel::clearReadableResults() {
    assign(recoveryCandidates_, {}, &AppModel::recoveryCandidatesChanged);
    assign(selectedRecoveryCandidateIDs_, {}, &AppModel::selectedRecoveryCandidateIDsChanged);
    assign(recoveryReport_, {}, &AppModel::recoveryReportChanged);
}

void AppModel::clearDeletedResults() {
    assign(deletedRecoveryCandidates_, {}, &AppModel::deletedRecoveryCandidatesChanged);
    assign(selectedDeletedRecoveryCandidateIDs_, {}, &AppModel::selectedDeletedRecoveryCandidateIDsChanged);
    assign(deletedRecoveryReport_, {}, &AppModel::deletedRecoveryReportChanged);
}

void AppModel::refreshRecoveryVolumes() {
    runInBackground(userInitiatedPool_, this, engines_.mountedExternalVolumes,
                    [this](std::vector<ExternalRecoveryVolume> volumes) {
                        const std::optional<ExternalRecoveryVolume> previous = selectedRecoveryVolume();
                        const std::optional<std::string> previousID = selectedRecoveryVolumeID_;
                        assign(recoveryVolumes_, std::move(volumes), &AppModel::recoveryVolumesChanged);
                        std::optional<std::string> id;
                        if (!recoveryVolumes_.empty()) id = recoveryVolumes_.front().id;
                        for (const ExternalRecoveryVolume& volume : recoveryVolumes_)
                            if (previous && standardizedPath(volume.mountURL) == standardizedPath(previous->mountURL)) {
                                id = volume.id;
                                break;
                            }
                        assign(selectedRecoveryVolumeID_, id, &AppModel::selectedRecoveryVolumeIDChanged);
                        if (recoveryVolumes_.empty() || id != previousID) resetRecoveryScan();
                    });
}

void AppModel::chooseRecoverySource() {
    const std::optional<fs::path> chosen =
        chooseFolder(dialogs_, "Choose a mounted recovery source",
                     "Choose an external drive, SD card, USB volume, or a mounted folder to scan locally. Tidewell "
                     "will not alter it.",
                     false);
    if (!chosen) return;
    auto work = [url = *chosen] {
        return captureWork<ExternalRecoveryVolume>([&] { return ExternalRecoveryEngine::manuallySelectedVolume(url); });
    };
    runInBackground(userInitiatedPool_, this, work, [this](WorkResult<ExternalRecoveryVolume> picked) {
        if (!picked.succeeded()) return presentAction(picked.errorDescription, ActionResultKind::failure);
        std::vector<ExternalRecoveryVolume> volumes = recoveryVolumes_;
        std::erase_if(volumes, [&](const ExternalRecoveryVolume& volume) { return volume.id == picked.value->id; });
        volumes.insert(volumes.begin(), *picked.value);
        assign(recoveryVolumes_, std::move(volumes), &AppModel::recoveryVolumesChanged);
        selectRecoveryVolume(picked.value->id);
    });
}

void AppModel::selectRecoveryVolume(const std::optional<std::string>& id) {
    if (id == selectedRecoveryVolumeID_) return;
    selectedRecoveryVolumeID_ = id;
    emit selectedRecoveryVolumeIDChanged();
    resetRecoveryScan();
}

void AppModel::checkLiveRecoveryVolume(std::function<void(std::optional<ExternalRecoveryVolume>)> then) {
    const std::optional<ExternalRecoveryVolume> selected = selectedRecoveryVolume();
    if (!selected) return then(std::nullopt);
    ++liveChecksInFlight_;
    runInBackground(
        userInitiatedPool_, this,
        [refreshed = engines_.refreshedVolume, volume = *selected] { return refreshed(volume); },
        [this, then, oldID = selected->id](std::optional<ExternalRecoveryVolume> live) {
            --liveChecksInFlight_;
            if (live) {
                std::vector<ExternalRecoveryVolume> volumes = recoveryVolumes_;
                if (ExternalRecoveryVolume* listed = withID(volumes, oldID)) *listed = *live;
                assign(recoveryVolumes_, std::move(volumes), &AppModel::recoveryVolumesChanged);
                assign(selectedRecoveryVolumeID_, std::optional<std::string>(live->id),
                       &AppModel::selectedRecoveryVolumeIDChanged);
            }
            then(std::move(live));
        });
}

void AppModel::whenSourceIsLive(const RecoveryScanState& state, const std::string& goneMessage,
                                std::function<void(const ExternalRecoveryVolume&)> then) {
    if (state.isBusy() || liveChecksInFlight_ > 0) return;
    checkLiveRecoveryVolume([this, goneMessage, then](std::optional<ExternalRecoveryVolume> volume) {
        if (!volume) return presentAction(goneMessage, ActionResultKind::info);
        then(*volume);
    });
}

// --- Selection

void AppModel::toggleRecoveryCandidate(const RecoveryCandidate& candidate) {
    toggled(selectedRecoveryCandidateIDs_, candidate.id());
    emit selectedRecoveryCandidateIDsChanged();
}

void AppModel::selectAllRecoveryCandidates() {
    std::set<std::string> ids;
    for (const RecoveryCandidate& candidate : recoveryCandidates_) ids.insert(candidate.id());
    assign(selectedRecoveryCandidateIDs_, std::move(ids), &AppModel::selectedRecoveryCandidateIDsChanged);
}

void AppModel::toggleDeletedRecoveryCandidate(const DeletedRecovery::Candidate& candidate) {
    toggled(selectedDeletedRecoveryCandidateIDs_, candidate.id);
    emit selectedDeletedRecoveryCandidateIDsChanged();
}

void AppModel::selectAllDeletedRecoveryCandidates() {
    std::set<std::string> ids;
    for (const DeletedRecovery::Candidate& candidate : deletedRecoveryCandidates_) ids.insert(candidate.id);
    assign(selectedDeletedRecoveryCandidateIDs_, std::move(ids), &AppModel::selectedDeletedRecoveryCandidateIDsChanged);
}

// --- Readable files

ProgressCallback AppModel::statusPoster(std::optional<std::string> AppModel::*status, void (AppModel::*changed)()) {
    return [this, status, changed, generation = recoveryGeneration_](double fraction, const std::string& text) {
        postToContext(this, [this, status, changed, generation, line = progressStatus(fraction, text)] {
            if (generation == recoveryGeneration_) assign(this->*status, std::optional<std::string>(line), changed);
        });
    };
}

void AppModel::scanSelectedRecoveryVolume() {
    whenSourceIsLive(recoveryScanState_,
                     "The selected source is no longer mounted. Reconnect it, choose it again, then scan.",
                     [this](const ExternalRecoveryVolume& volume) { startReadableScan(volume); });
}

void AppModel::startReadableScan(const ExternalRecoveryVolume& volume) {
    assign(recoveryScanState_, RecoveryScanState::scanning(), &AppModel::recoveryScanStateChanged);
    clearReadableResults();
    recoveryCancellationToken_ = std::make_shared<RecoveryCancellationToken>();
    assign(recoveryStatusText_, std::optional<std::string>("Preparing a read-only scan of " + volume.name),
           &AppModel::recoveryStatusTextChanged);
    using Found = std::pair<std::vector<RecoveryCandidate>, RecoveryScanReport>;
    auto work = [volume, token = recoveryCancellationToken_,
                 progress = statusPoster(&AppModel::recoveryStatusText_, &AppModel::recoveryStatusTextChanged)] {
        return captureWork<Found>([&] { return ExternalRecoveryEngine::scan(volume, token, progress); });
    };
    runInBackground(
        userInitiatedPool_, this, work, [this, volume, generation = recoveryGeneration_](WorkResult<Found> found) {
            if (generation != recoveryGeneration_) return;
            if (found.succeeded() && selectedRecoveryVolumeID_ == volume.id) {
                assign(recoveryCandidates_, std::move(found.value->first), &AppModel::recoveryCandidatesChanged);
                assign(recoveryReport_, std::optional<RecoveryScanReport>(found.value->second),
                       &AppModel::recoveryReportChanged);
                selectAllRecoveryCandidates();
                assign(recoveryScanState_, RecoveryScanState::completed(), &AppModel::recoveryScanStateChanged);
            } else if (!found.succeeded() && found.cancelled) {
                assign(recoveryScanState_, RecoveryScanState::idle(), &AppModel::recoveryScanStateChanged);
            } else if (!found.succeeded()) {
                assign(recoveryScanState_, RecoveryScanState::failed(found.errorDescription),
                       &AppModel::recoveryScanStateChanged);
                presentAction("Could not scan " + volume.name + ": " + found.errorDescription,
                              ActionResultKind::failure);
            }
            assign(recoveryStatusText_, {}, &AppModel::recoveryStatusTextChanged);
            recoveryCancellationToken_.reset();
        });
}

void AppModel::cancelRecoveryScan() {
    if (!recoveryCancellationToken_) return;
    recoveryCancellationToken_->cancel();
    assign(recoveryStatusText_, std::optional<std::string>("Cancelling safely"), &AppModel::recoveryStatusTextChanged);
}

std::optional<fs::path> AppModel::chooseRecoveryDestination(const std::string& message) {
    return chooseFolder(dialogs_, "Choose a different destination", message, true);
}

void AppModel::exportSelectedRecoveryCandidates() {
    whenSourceIsLive(recoveryScanState_, goneBeforeExportMessage, [this](const ExternalRecoveryVolume& volume) {
        std::vector<RecoveryCandidate> selected = selectedRecoveryCandidates();
        if (selected.empty())
            return presentAction("Select at least one readable file to export.", ActionResultKind::info);
        std::optional<fs::path> destination = chooseRecoveryDestination(
            "Recovered files must be exported to another drive or folder. The source will not be changed.");
        if (!destination) return;
        startReadableExport(volume, std::move(selected), *destination);
    });
}

void AppModel::startReadableExport(const ExternalRecoveryVolume& volume, std::vector<RecoveryCandidate> selected,
                                   const fs::path& destination) {
    assign(recoveryScanState_, RecoveryScanState::exporting(), &AppModel::recoveryScanStateChanged);
    recoveryCancellationToken_ = std::make_shared<RecoveryCancellationToken>();
    assign(recoveryStatusText_, std::optional<std::string>("Preparing export"), &AppModel::recoveryStatusTextChanged);
    auto work = [volume, selected = std::move(selected), destination, token = recoveryCancellationToken_,
                 progress = statusPoster(&AppModel::recoveryStatusText_, &AppModel::recoveryStatusTextChanged)] {
        return captureWork<ExportedFiles>(
            [&] { return ExternalRecoveryEngine::exportCandidates(selected, volume, destination, token, progress); });
    };
    runInBackground(
        userInitiatedPool_, this, work, [this, generation = recoveryGeneration_](WorkResult<ExportedFiles> exported) {
            const bool current = generation == recoveryGeneration_;
            if (exported.succeeded()) {
                if (!exported.value->empty() && desktop_) desktop_->revealInFileBrowser({exported.value->front()});
                presentAction("Exported " + std::to_string(exported.value->size()) +
                                  " readable files to a separate recovery folder. The source volume was not changed.",
                              ActionResultKind::success);
            } else if (exported.cancelled) {
                if (current) assign(recoveryScanState_, RecoveryScanState::idle(), &AppModel::recoveryScanStateChanged);
            } else {
                if (current)
                    assign(recoveryScanState_, RecoveryScanState::failed(exported.errorDescription),
                           &AppModel::recoveryScanStateChanged);
                presentAction("Could not export recovery files: " + exported.errorDescription,
                              ActionResultKind::failure);
            }
            if (!current) return;
            assign(recoveryStatusText_, {}, &AppModel::recoveryStatusTextChanged);
            if (recoveryScanState_ == RecoveryScanState::exporting())
                assign(recoveryScanState_, RecoveryScanState::completed(), &AppModel::recoveryScanStateChanged);
            recoveryCancellationToken_.reset();
        });
}

// --- Deleted files

void AppModel::setDeletedRecoveryStatus(std::string text) {
    assign(deletedRecoveryStatusText_, std::optional<std::string>(std::move(text)),
           &AppModel::deletedRecoveryStatusTextChanged);
}

void AppModel::scanDeletedFiles() {
    whenSourceIsLive(deletedRecoveryScanState_,
                     "The selected FAT32 or exFAT source is no longer mounted. Reconnect it, choose it "
                     "again, then scan.",
                     [this](const ExternalRecoveryVolume& volume) { startDeletedScan(volume); });
}

void AppModel::startDeletedScan(const ExternalRecoveryVolume& volume) {
    setDiskImage(std::nullopt, {});
    setDeletedRecoveryStatus(platform::layoutText("Waiting for macOS administrator approval to read ",
                                                  "Waiting for administrator approval to read ") +
                             volume.name);
    auto scan = [this, volume, generation = recoveryGeneration_](const RecoveryCancellationToken* token,
                                                                 const ProgressCallback& progress) {
        // Any administrator prompt shows before reading starts.
        PrivilegedDeviceRead::prepareAdministratorAuthorization();
        postToContext(this, [this, generation, name = volume.name] {
            if (generation == recoveryGeneration_)
                setDeletedRecoveryStatus("Reading deleted-file records from " + name);
        });
        if (isExFAT(volume)) return ExFATDeletedRecoveryEngine::scan(volume, token, progress);
        return FATDeletedRecoveryEngine::scan(volume, token, progress);
    };
    runDeletedScan(scan, [this, id = volume.id] { return selectedRecoveryVolumeID_ == id; });
}

void AppModel::runDeletedScan(DeletedScanWork scan, std::function<bool()> publishable) {
    deletedScanIsDeep_ = false;
    assign(deletedRecoveryScanState_, RecoveryScanState::scanning(), &AppModel::deletedRecoveryScanStateChanged);
    clearDeletedResults();
    deletedRecoveryCancellationToken_ = std::make_shared<RecoveryCancellationToken>();
    auto work = [scan = std::move(scan), token = deletedRecoveryCancellationToken_,
                 progress =
                     statusPoster(&AppModel::deletedRecoveryStatusText_, &AppModel::deletedRecoveryStatusTextChanged)] {
        return captureWork<FATDeletedRecoveryEngine::ScanResult>([&] { return scan(token.get(), progress); });
    };
    runInBackground(
        userInitiatedPool_, this, work,
        [this, publishable, generation = recoveryGeneration_](WorkResult<FATDeletedRecoveryEngine::ScanResult> found) {
            if (generation != recoveryGeneration_) return;
            deletedRecoveryCancellationToken_.reset();
            if (found.succeeded()) {
                if (publishable()) publishDeletedScan(std::move(*found.value));
            } else if (found.cancelled) {
                assign(deletedRecoveryScanState_, RecoveryScanState::idle(),
                       &AppModel::deletedRecoveryScanStateChanged);
                setDeletedRecoveryStatus("Deleted-file scan cancelled");
            } else {
                assign(deletedRecoveryScanState_, RecoveryScanState::failed(found.errorDescription),
                       &AppModel::deletedRecoveryScanStateChanged);
                setDeletedRecoveryStatus("Scan could not start · " + found.errorDescription);
                presentAction("Could not inspect deleted files: " + found.errorDescription, ActionResultKind::failure);
            }
        });
}

bool AppModel::canDeepScanDeletedFiles() const {
    if (deletedImage_) return !deletedImage_->table || deletedImagePartition_.has_value();
    const std::optional<ExternalRecoveryVolume> selected = selectedRecoveryVolume();
    return selected && selected->deviceIdentifier && !deletedRecoveryRefusal();
}

void AppModel::deepScanDeletedFiles() {
    if (!canDeepScanDeletedFiles() || deletedRecoveryScanState_.isBusy()) return;
    if (deletedImage_) {
        const std::string name = deletedImage_->sourceName(deletedImagePartition_);
        return startDeepScan(deletedImage_->reader(deletedImagePartition_), name, [] { return true; });
    }
    whenSourceIsLive(deletedRecoveryScanState_,
                     "The selected FAT32 or exFAT source is no longer mounted. Reconnect it, choose it "
                     "again, then scan.",
                     [this](const ExternalRecoveryVolume& volume) {
                         if (!volume.deviceIdentifier) return;
                         startDeepScan(std::make_shared<PrivilegedDeviceReader>(*volume.deviceIdentifier), volume.name,
                                       [this, id = volume.id] { return selectedRecoveryVolumeID_ == id; });
                     });
}

void AppModel::startDeepScan(std::shared_ptr<const RawReader> reader, const std::string& name,
                             std::function<bool()> publishable) {
    setDeletedRecoveryStatus("Deep-scanning " + name);
    const bool live = !deletedImage_;
    runDeletedScan(
        [reader = std::move(reader), name, live](const RecoveryCancellationToken* token,
                                                 const ProgressCallback& progress) {
            // Any administrator prompt shows before reading starts.
            if (live) PrivilegedDeviceRead::prepareAdministratorAuthorization();
            DeepScan::Result found = DeepScan::scan(
                *reader, name, token, progress, FileCarving::fileCheckValidator(FileFirstAidEngine::checkWholeness));
            return FATDeletedRecoveryEngine::ScanResult{found.candidates(), found.report};
        },
        std::move(publishable));
    deletedScanIsDeep_ = true;
}

void AppModel::publishDeletedScan(FATDeletedRecoveryEngine::ScanResult found) {
    std::set<std::string> preselected;
    for (const DeletedRecovery::Candidate& candidate : found.first)
        if (candidate.confidence == DeletedRecovery::Confidence::high && candidate.contentIsValidated)
            preselected.insert(candidate.id);
    const std::size_t count = found.first.size();
    assign(deletedRecoveryCandidates_, std::move(found.first), &AppModel::deletedRecoveryCandidatesChanged);
    assign(deletedRecoveryReport_, std::optional<DeletedRecovery::Report>(std::move(found.second)),
           &AppModel::deletedRecoveryReportChanged);
    assign(selectedDeletedRecoveryCandidateIDs_, std::move(preselected),
           &AppModel::selectedDeletedRecoveryCandidateIDsChanged);
    assign(deletedRecoveryScanState_, RecoveryScanState::completed(), &AppModel::deletedRecoveryScanStateChanged);
    if (count > 0 && deletedScanIsDeep_) {
        const auto named = std::count_if(deletedRecoveryCandidates_.begin(), deletedRecoveryCandidates_.end(),
                                         DeepScan::isFromFoundFolder);
        const auto carved = std::count_if(deletedRecoveryCandidates_.begin(), deletedRecoveryCandidates_.end(),
                                          [](const DeletedRecovery::Candidate& candidate) { return candidate.carved; });
        return setDeletedRecoveryStatus(
            "Scan complete · " +
            DeepScan::foundText(static_cast<std::size_t>(named),
                                static_cast<std::size_t>(deletedRecoveryReport_->directoriesChecked)) +
            (carved > 0 ? " · " + DeepScan::carvedText(static_cast<std::size_t>(carved)) : std::string()));
    }
    if (count > 0)
        return setDeletedRecoveryStatus("Scan complete · found " + std::to_string(count) +
                                        " deleted-file candidate(s)");
    setDeletedRecoveryStatus("Scan complete · no recoverable deleted entries found");
    presentAction(
        "No recoverable deleted FAT32 or exFAT directory entries were found. Files may have been "
        "overwritten, stored without a surviving directory record, or use a format Tidewell does not yet "
        "support.",
        ActionResultKind::info);
}

void AppModel::cancelDeletedRecoveryScan() {
    if (!deletedRecoveryCancellationToken_) return;
    deletedRecoveryCancellationToken_->cancel();
    setDeletedRecoveryStatus("Cancelling safely");
}

void AppModel::exportSelectedDeletedRecoveryCandidates() {
    const std::string destinationMessage =
        "Recovered files must be written somewhere other than the source drive. Tidewell will not modify the "
        "source.";
    if (deletedImage_) {
        if (deletedRecoveryScanState_.isBusy()) return;
        std::vector<DeletedRecovery::Candidate> selected = selectedDeletedRecoveryCandidates();
        if (selected.empty())
            return presentAction("Select at least one deleted-file candidate to export.", ActionResultKind::info);
        std::optional<fs::path> destination = chooseRecoveryDestination(destinationMessage);
        if (!destination) return;
        return runDeletedExport([image = *deletedImage_, partition = deletedImagePartition_,
                                 selected = std::move(selected), destination = *destination, deep = deletedScanIsDeep_](
                                    const RecoveryCancellationToken* token, const ProgressCallback& progress) {
            if (deep)
                return DeepScan::exportCandidates(selected, *image.reader(partition), image.sourceName(partition),
                                                  destination, token, progress);
            return DeletedRecovery::exportFromSource(selected, *image.reader(partition), image.sourceName(partition),
                                                     destination, token, progress,
                                                     DeletedRecovery::ExportNaming::displayName);
        });
    }
    whenSourceIsLive(deletedRecoveryScanState_, goneBeforeExportMessage,
                     [this, destinationMessage](const ExternalRecoveryVolume& volume) {
                         std::vector<DeletedRecovery::Candidate> selected = selectedDeletedRecoveryCandidates();
                         if (selected.empty())
                             return presentAction("Select at least one deleted-file candidate to export.",
                                                  ActionResultKind::info);
                         std::optional<fs::path> destination = chooseRecoveryDestination(destinationMessage);
                         if (!destination) return;
                         startDeletedExport(volume, std::move(selected), *destination);
                     });
}

void AppModel::startDeletedExport(const ExternalRecoveryVolume& volume,
                                  std::vector<DeletedRecovery::Candidate> selected, const fs::path& destination) {
    runDeletedExport([volume, selected = std::move(selected), destination, deep = deletedScanIsDeep_](
                         const RecoveryCancellationToken* token, const ProgressCallback& progress) {
        if (deep) {
            FATDeletedRecoveryEngine::checkLiveExportDestination(volume, destination);
            return DeepScan::exportCandidates(selected, PrivilegedDeviceReader(volume.deviceIdentifier.value_or("")),
                                              volume.name, destination, token, progress);
        }
        if (isExFAT(volume))
            return ExFATDeletedRecoveryEngine::exportCandidates(selected, volume, destination, token, progress);
        // The user chose by the names shown, long names included: the files carry them too.
        return FATDeletedRecoveryEngine::exportCandidates(selected, volume, destination, token, progress,
                                                          DeletedRecovery::ExportNaming::displayName);
    });
}

void AppModel::runDeletedExport(DeletedExportWork exportWork) {
    assign(deletedRecoveryScanState_, RecoveryScanState::exporting(), &AppModel::deletedRecoveryScanStateChanged);
    deletedRecoveryCancellationToken_ = std::make_shared<RecoveryCancellationToken>();
    setDeletedRecoveryStatus("Preparing deleted-file export");
    auto work = [exportWork = std::move(exportWork), token = deletedRecoveryCancellationToken_,
                 progress =
                     statusPoster(&AppModel::deletedRecoveryStatusText_, &AppModel::deletedRecoveryStatusTextChanged)] {
        return captureWork<ExportedFiles>([&] { return exportWork(token.get(), progress); });
    };
    runInBackground(
        userInitiatedPool_, this, work, [this, generation = recoveryGeneration_](WorkResult<ExportedFiles> exported) {
            const bool current = generation == recoveryGeneration_;
            if (current) deletedRecoveryCancellationToken_.reset();
            if (exported.succeeded()) {
                const std::string count = std::to_string(exported.value->size());
                if (!exported.value->empty() && desktop_) desktop_->revealInFileBrowser({exported.value->front()});
                if (current) setDeletedRecoveryStatus("Recovered " + count + " file(s) to a separate destination");
                presentAction("Recovered " + count +
                                  " deleted-file candidate(s) to a separate folder. Verify the recovered files before "
                                  "relying on them; the source was not changed.",
                              ActionResultKind::success);
            } else if (exported.cancelled) {
                if (!current) return;
                assign(deletedRecoveryScanState_, RecoveryScanState::idle(),
                       &AppModel::deletedRecoveryScanStateChanged);
                setDeletedRecoveryStatus("Deleted-file export cancelled");
            } else {
                if (current) {
                    assign(deletedRecoveryScanState_, RecoveryScanState::failed(exported.errorDescription),
                           &AppModel::deletedRecoveryScanStateChanged);
                    setDeletedRecoveryStatus("Could not export selected files · " + exported.errorDescription);
                }
                presentAction("Could not export deleted-file candidates: " + exported.errorDescription,
                              ActionResultKind::failure);
            }
            if (current && deletedRecoveryScanState_ == RecoveryScanState::exporting())
                assign(deletedRecoveryScanState_, RecoveryScanState::completed(),
                       &AppModel::deletedRecoveryScanStateChanged);
        });
}

// --- Disk images

void AppModel::setDiskImage(std::optional<DeletedRecovery::DiskImage> image,
                            std::vector<PartitionTable::Partition> choices) {
    deletedImage_ = std::move(image);
    deletedImagePartition_.reset();
    assign(deletedImageSourceName_, deletedImage_ ? std::optional(deletedImage_->sourceName()) : std::nullopt,
           &AppModel::deletedRecoveryImageSourceNameChanged);
    assign(diskImagePartitions_, std::move(choices), &AppModel::diskImagePartitionsChanged);
}

void AppModel::openDiskImage() {
    if (deletedRecoveryScanState_.isBusy() || !dialogs_) return;
    const std::vector<fs::path> chosen = dialogs_->chooseForOpening(
        {.title = "Open a disk image",
         .canChooseFiles = true,
         .message = "Choose a FAT32 or exFAT partition image, or a disk image holding one. Tidewell only reads it."});
    if (chosen.empty()) return;
    auto work = [url = chosen.front()] {
        return captureWork<DeletedRecovery::DiskImage>([&] { return DeletedRecovery::DiskImage::inspect(url); });
    };
    runInBackground(userInitiatedPool_, this, work, [this](WorkResult<DeletedRecovery::DiskImage> opened) {
        if (!opened.succeeded())
            return presentAction("Could not open the disk image: " + opened.errorDescription,
                                 ActionResultKind::failure);
        const std::string name = opened.value->sourceName();
        if (!opened.value->table) {
            setDiskImage(std::move(*opened.value), {});
            return startImageScan(std::nullopt);
        }
        std::vector<PartitionTable::Partition> choices = PartitionTable::recoverablePartitions(*opened.value->table);
        clearDeletedResults();
        assign(deletedRecoveryScanState_, RecoveryScanState::idle(), &AppModel::deletedRecoveryScanStateChanged);
        if (choices.empty()) {
            setDiskImage(std::nullopt, {});
            setDeletedRecoveryStatus("No FAT32 or exFAT partition was found in " + name);
            return presentAction("No FAT32 or exFAT partition was found in " + name + ".", ActionResultKind::info);
        }
        setDiskImage(std::move(*opened.value), std::move(choices));
        setDeletedRecoveryStatus("Choose a partition of " + name + " to scan");
    });
}

void AppModel::scanDiskImagePartition(int number) {
    if (!deletedImage_ || deletedRecoveryScanState_.isBusy()) return;
    if (std::none_of(diskImagePartitions_.begin(), diskImagePartitions_.end(),
                     [&](const PartitionTable::Partition& partition) { return partition.number == number; }))
        return;
    startImageScan(number);
}

void AppModel::startImageScan(std::optional<int> partition) {
    deletedImagePartition_ = partition;
    const std::string name = deletedImage_->sourceName(partition);
    assign(deletedImageSourceName_, std::optional(name), &AppModel::deletedRecoveryImageSourceNameChanged);
    setDeletedRecoveryStatus("Reading deleted-file records from " + name);
    runDeletedScan(
        [image = *deletedImage_, partition, name](const RecoveryCancellationToken* token,
                                                  const ProgressCallback& progress) {
            return DeletedRecovery::scanSource(*image.reader(partition), name, token, progress);
        },
        [] { return true; });
}

}  // namespace tidewell
