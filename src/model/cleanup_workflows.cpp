#include <algorithm>

#include "cleanup/cleanup_batch.h"
#include "cleanup/diagnostic_exporter.h"
#include "cleanup/removal_plan.h"
#include "cleanup/report_store.h"
#include "cleanup/safety_policy.h"
#include "model/app_model.h"
#include "model/background_work.h"
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

// Success when everything was done, warning when some failed, failure when nothing was done.
ActionResultKind resultKind(const CleanupBatch& batch) {
    if (batch.moved.empty()) return ActionResultKind::failure;
    return batch.failed.empty() ? ActionResultKind::success : ActionResultKind::warning;
}

}  // namespace

RemovalSteps AppModel::removalSteps() const {
    return RemovalSteps{.moveToTrash = engines_.moveToTrash,
                        .quitApp = engines_.quitApp,
                        .switchOffStartupItem = engines_.bootout,
                        .removeByRoute = engines_.removeByRoute,
                        .previewRemoval = engines_.previewRemoval,
                        .refreshMenus = engines_.refreshMenus};
}

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
    presentAction(batch.message(summary), resultKind(batch));
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
    const RemovalOptions options{
        .allowForceQuit = allowForceQuit,
        .allowAdminAuthorization = allowAdminAuthorization,
        .isThisApplication = standardizedPath(engines_.runningApplicationBundle()) == standardizedPath(app.path)};
    auto work = [this, app, candidates, options, steps = removalSteps()] {
        return carryOutRemovalPlan(app, candidates, options, steps,
                                   [this](const std::string& text) { postCleanupStatus(text); });
    };
    runInBackground(userInitiatedPool_, this, work, [this, app](RemovalPlanRun run) { finishCleanupPlan(app, run); });
}

void AppModel::previewCleanupPlan(const AppInfo& app) {
    std::vector<CleanupCandidate> asked;
    for (const CleanupCandidate& candidate : app.cleanupCandidates)
        if (candidate.isSelectable && isPackageManagerRoute(candidate.route)) asked.push_back(candidate);
    if (asked.empty()) return;
    auto work = [app, asked, steps = removalSteps()] { return askPackageManagers(app, asked, steps); };
    runInBackground(utilityPool_, this, work, [this, id = app.id](std::optional<RemovalPreview> answer) {
        if (!answer) return;
        assign(cleanupPlanPreview_, std::optional(std::pair(id, std::move(*answer))),
               &AppModel::cleanupPlanPreviewChanged);
    });
}

void AppModel::finishCleanupPlan(const AppInfo& app, const RemovalPlanRun& run) {
    if (run.nothingAccepted) {
        presentAction("No selected items can be safely moved to Trash.", ActionResultKind::failure);
        return endCleanup();
    }
    if (const std::optional<std::string> stop = run.stopMessage(app.name)) {
        addReport(
            CleanupReport::make(std::chrono::system_clock::now(), app.name, {}, run.reportedBatch(app.name).failed, 0));
        presentAction(*stop, ActionResultKind::failure);
        return endCleanup();
    }
    const CleanupBatch& batch = run.batch;
    recordBatch(app.name, batch, run.summary("No items were moved to Trash."));
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
    auto work = [this, group, candidates, steps = removalSteps()] {
        return moveLeftoversToTrash(group, candidates, steps,
                                    [this](const std::string& text) { postCleanupStatus(text); });
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
    auto work = [this, items, steps = removalSteps()] {
        return tidewell::moveSafeCleanupItemsToTrash(items, steps,
                                                     [this](const std::string& text) { postCleanupStatus(text); });
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
