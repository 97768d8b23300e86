#include <algorithm>

#include "cleanup/diagnostic_exporter.h"
#include "cleanup/report_store.h"
#include "cleanup/safety_policy.h"
#include "model/app_model.h"
#include "model/background_work.h"
#include "model/cleanup_batch.h"
#include "platform/layout_text.h"
#include "recovery/readable/external_recovery_engine.h"

namespace tidewell {

namespace {

constexpr const char* blockedBundleMessage =
    "Tidewell blocked this item because it is protected or outside the approved app locations.";

// What moving a bundle alone did: its place in the Trash, or why it did not move.
struct BundleMove {
    bool refused = false;
    WorkResult<std::optional<std::filesystem::path>> move;
};

bool containsBundle(const std::vector<CleanupCandidate>& candidates) {
    return std::any_of(candidates.begin(), candidates.end(), [](const CleanupCandidate& candidate) {
        return candidate.kind == CleanupCandidateKind::appBundle;
    });
}

}  // namespace

void AppModel::setSelectedLeftover(std::optional<LeftoverGroup> group) {
    assign(selectedLeftover_, std::move(group), &AppModel::selectedLeftoverChanged);
}

void AppModel::setCleanupStatusText(std::optional<std::string> text) {
    assign(cleanupStatusText_, std::move(text), &AppModel::cleanupStatusTextChanged);
}

void AppModel::postCleanupStatus(std::string text) {
    postToContext(this, [this, text = std::move(text)] { setCleanupStatusText(text); });
}

void AppModel::endCleanup() {
    assign(cleanupInProgress_, false, &AppModel::cleanupInProgressChanged);
    setCleanupStatusText(std::nullopt);
}

void AppModel::addReport(const CleanupReport& report) {
    reports_.insert(reports_.begin(), report);
    emit reportsChanged();
    ReportStore::save(reports_);
}

void AppModel::recordBatch(const std::string& appName, const CleanupBatch& batch, const std::string& summary) {
    addReport(CleanupReport::make(std::chrono::system_clock::now(), appName, batch.moved, batch.failed,
                                  batch.recoveredBytes));
    presentAction(batch.message(summary), batch.resultKind());
}

void AppModel::moveAppBundleToTrash(const AppInfo& app) {
    auto work = [app, moveToTrash = engines_.moveToTrash] {
        BundleMove result;
        result.refused = !SafetyPolicy::canMoveAppBundleToTrash(app);
        if (!result.refused)
            result.move = captureWork<std::optional<std::filesystem::path>>(
                [&] { return moveToTrash(std::filesystem::path(app.path), false); });
        return result;
    };
    runInBackground(userInitiatedPool_, this, work, [this, app](BundleMove result) {
        if (result.refused) return presentAction(blockedBundleMessage, ActionResultKind::failure);
        if (!result.move.succeeded())
            return presentAction("Could not move " + app.name + " to Trash: " + result.move.errorDescription,
                                 ActionResultKind::failure);
        const std::optional<std::filesystem::path>& location = *result.move.value;
        presentAction(app.name + " was moved to Trash: " + (location ? location->string() : std::string("Trash")) +
                          ". Related caches and installers were left untouched in this alpha build.",
                      ActionResultKind::success);
        scan();
    });
}

void AppModel::moveCleanupCandidatesToTrash(const AppInfo& app, const std::vector<CleanupCandidate>& candidates,
                                            bool allowForceQuit, bool allowAdminAuthorization) {
    if (cleanupInProgress_) return;
    assign(cleanupInProgress_, true, &AppModel::cleanupInProgressChanged);
    auto work = [this, app, candidates, allowForceQuit, allowAdminAuthorization, engines = engines_] {
        CleanupPlanRun run;
        std::vector<CleanupCandidate> accepted;
        for (const CleanupCandidate& candidate : candidates)
            if (SafetyPolicy::canMoveCandidateToTrash(candidate, app)) accepted.push_back(candidate);
        if (accepted.empty()) {
            run.nothingAccepted = true;
            return run;
        }
        const bool isThisApplication =
            standardizedPath(engines.runningApplicationBundle()) == standardizedPath(app.path);
        std::stable_sort(accepted.begin(), accepted.end(), [](const auto& left, const auto& right) {
            return cleanupMovePriority(left) < cleanupMovePriority(right);
        });
        postCleanupStatus("Preparing to move " + std::to_string(accepted.size()) + " items for " + app.name);
        if (!isThisApplication && containsBundle(accepted) && app.isRunning) {
            auto quit = captureWork<bool>([&] { return engines.quitApp(app, allowForceQuit), true; });
            if (!quit.succeeded()) {
                run.quitFailure = quit.errorDescription;
                return run;
            }
        }
        for (const CleanupCandidate& candidate : accepted) {
            postCleanupStatus("Moving " + candidate.label + " to Trash");
            const bool moved = run.batch.attempt(candidate.label, candidate.sizeBytes, [&] {
                if (candidate.kind == CleanupCandidateKind::launchAgent) engines.bootout(candidate);
                engines.moveToTrash(std::filesystem::path(candidate.path), allowAdminAuthorization);
            });
            if (moved && isThisApplication && candidate.kind == CleanupCandidateKind::appBundle)
                run.movedOwnBundle = true;
        }
        return run;
    };
    runInBackground(userInitiatedPool_, this, work, [this, app](CleanupPlanRun run) { finishCleanupPlan(app, run); });
}

void AppModel::finishCleanupPlan(const AppInfo& app, const CleanupPlanRun& run) {
    if (run.nothingAccepted) {
        presentAction("No selected items can be safely moved to Trash.", ActionResultKind::failure);
        return endCleanup();
    }
    if (run.quitFailure) {
        CleanupBatch quit;
        quit.addFailure("Quit " + app.name, *run.quitFailure);
        addReport(CleanupReport::make(std::chrono::system_clock::now(), app.name, {}, quit.failed, 0));
        presentAction("Tidewell could not quit " + app.name + ". Nothing was moved. Close the app and try again.",
                      ActionResultKind::failure);
        return endCleanup();
    }
    const CleanupBatch& batch = run.batch;
    recordBatch(
        app.name, batch,
        batch.moved.empty() ? "No items were moved to Trash." : joinedSentence("Moved to Trash: ", batch.moved));
    if (run.movedOwnBundle) {
        endCleanup();
        return engines_.terminateApplication();
    }
    startInventoryScan(false, false, [this] {
        if (!hasScannedLeftovers_) return endCleanup();
        startLeftoverScan([this] { endCleanup(); });
    });
}

void AppModel::moveLeftoverCandidatesToTrash(const LeftoverGroup& group,
                                             const std::vector<CleanupCandidate>& candidates) {
    if (cleanupInProgress_) return;
    assign(cleanupInProgress_, true, &AppModel::cleanupInProgressChanged);
    auto work = [this, group, candidates, moveToTrash = engines_.moveToTrash] {
        std::optional<CleanupBatch> batch;
        std::vector<CleanupCandidate> accepted;
        for (const CleanupCandidate& candidate : candidates)
            if (SafetyPolicy::canMoveStandaloneCandidateToTrash(candidate)) accepted.push_back(candidate);
        if (accepted.empty()) return batch;
        batch.emplace();
        postCleanupStatus("Preparing to move " + std::to_string(accepted.size()) + " leftovers for " + group.name);
        for (const CleanupCandidate& candidate : accepted) {
            postCleanupStatus("Moving " + candidate.label + " to Trash");
            batch->attempt(candidate.label, candidate.sizeBytes,
                           [&] { moveToTrash(std::filesystem::path(candidate.path), false); });
        }
        return batch;
    };
    runInBackground(userInitiatedPool_, this, work, [this, group](std::optional<CleanupBatch> batch) {
        if (!batch) {
            presentAction("No selected leftovers can be safely moved to Trash.", ActionResultKind::failure);
            return endCleanup();
        }
        recordBatch("Leftovers: " + group.name, *batch,
                    batch->moved.empty() ? "No leftovers were moved to Trash."
                                         : joinedSentence("Moved leftovers to Trash: ", batch->moved));
        startInventoryScan(false, false, [this] { startLeftoverScan([this] { endCleanup(); }); });
    });
}

void AppModel::moveSafeCleanupItemsToTrash(const std::vector<SafeCleanupItem>& items) {
    if (cleanupInProgress_) return;
    assign(cleanupInProgress_, true, &AppModel::cleanupInProgressChanged);
    auto work = [this, items, moveToTrash = engines_.moveToTrash] {
        std::optional<CleanupBatch> batch;
        std::vector<SafeCleanupItem> accepted;
        for (const SafeCleanupItem& item : items)
            if (SafetyPolicy::canMoveSafeCleanupItemToTrash(item)) accepted.push_back(item);
        if (accepted.empty()) return batch;
        batch.emplace();
        postCleanupStatus("Moving " + std::to_string(accepted.size()) + " safe cleanup items to Trash");
        for (const SafeCleanupItem& item : accepted) {
            postCleanupStatus("Moving " + item.name + " to Trash");
            batch->attempt(item.name, item.sizeBytes, [&] { moveToTrash(std::filesystem::path(item.path), false); });
        }
        return batch;
    };
    runInBackground(userInitiatedPool_, this, work, [this](std::optional<CleanupBatch> batch) {
        if (!batch) {
            presentAction("No safe cleanup items can be moved to Trash.", ActionResultKind::failure);
            return endCleanup();
        }
        recordBatch("Safe Cleanup", *batch,
                    batch->moved.empty()
                        ? "No safe cleanup items were moved."
                        : "Moved " + std::to_string(batch->moved.size()) + " safe cleanup items to Trash.");
        startSafeCleanupScan([this] { startInventoryScan(false, false, [this] { endCleanup(); }); });
    });
}

void AppModel::selfUninstall() {
    const std::filesystem::path bundle = engines_.runningApplicationBundle();
    if (bundle.extension() != ".app")
        return presentAction(platform::layoutText("Tidewell can only self-uninstall from an .app bundle.",
                                                  "Tidewell can only move itself to the Trash from a folder of its "
                                                  "own. Remove an installed Tidewell with your package manager."),
                             ActionResultKind::failure);
    auto work = [bundle, moveToTrash = engines_.moveToTrash] {
        return captureWork<std::optional<std::filesystem::path>>([&] { return moveToTrash(bundle, false); });
    };
    runInBackground(userInitiatedPool_, this, work, [this](WorkResult<std::optional<std::filesystem::path>> moved) {
        if (moved.succeeded()) return engines_.terminateApplication();
        presentAction("Could not uninstall Tidewell: " + moved.errorDescription, ActionResultKind::failure);
    });
}

void AppModel::exportDiagnostics() {
    auto work = [apps = apps_, reports = reports_] {
        return captureWork<std::filesystem::path>([&] { return DiagnosticExporter::exportReport(apps, reports); });
    };
    runInBackground(utilityPool_, this, work, [this](WorkResult<std::filesystem::path> exported) {
        if (!exported.succeeded())
            return presentAction("Could not export diagnostics: " + exported.errorDescription,
                                 ActionResultKind::failure);
        presentAction("Diagnostic report exported to " + exported.value->string(), ActionResultKind::success);
        if (desktop_) desktop_->revealInFileBrowser({*exported.value});
    });
}

}  // namespace tidewell
