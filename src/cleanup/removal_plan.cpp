#include "cleanup/removal_plan.h"

#include <algorithm>

#include "cleanup/safety_policy.h"

namespace tidewell {

namespace {

void report(const RemovalStatus& status, const std::string& text) {
    if (status) status(text);
}

bool containsAppRemoval(const std::vector<CleanupCandidate>& candidates) {
    return std::any_of(candidates.begin(), candidates.end(), [](const CleanupCandidate& candidate) {
        return candidate.kind == CleanupCandidateKind::appBundle;
    });
}

bool asksPackageManager(const std::vector<CleanupCandidate>& candidates) {
    return std::any_of(candidates.begin(), candidates.end(),
                       [](const CleanupCandidate& candidate) { return isPackageManagerRoute(candidate.route); });
}

std::string stepText(const CleanupCandidate& candidate) {
    switch (candidate.route) {
        case RemovalRoute::trash:
            return "Moving " + candidate.label + " to Trash";
        case RemovalRoute::hiddenAutostart:
            return "Hiding " + candidate.label + " from autostart";
        default:
            return "Removing " + candidate.label;
    }
}

void noteDone(RemovalPlanRun& run, const CleanupCandidate& candidate) {
    auto route = std::find_if(run.doneByRoute.begin(), run.doneByRoute.end(),
                              [&](const auto& entry) { return entry.first == candidate.route; });
    if (route == run.doneByRoute.end()) route = run.doneByRoute.insert(run.doneByRoute.end(), {candidate.route, {}});
    route->second.push_back(candidate.label);
}

void carryOut(const AppInfo& app, const CleanupCandidate& candidate, const RemovalOptions& options,
              const RemovalSteps& steps) {
    if (candidate.kind == CleanupCandidateKind::launchAgent && candidate.route == RemovalRoute::trash &&
        steps.switchOffStartupItem)
        steps.switchOffStartupItem(candidate);
    if (candidate.route == RemovalRoute::trash)
        steps.moveToTrash(std::filesystem::path(candidate.path), options.allowAdminAuthorization);
    else
        steps.removeByRoute(app, candidate);
}

}  // namespace

std::string RemovalPlanRun::summary(const std::string& nothingDone) const {
    std::string text;
    for (const auto& [route, labels] : doneByRoute)
        text += (text.empty() ? "" : " ") + joinedSentence(rawValue(route) + ": ", labels);
    return text.empty() ? nothingDone : text;
}

std::optional<std::string> RemovalPlanRun::stopMessage(const std::string& appName) const {
    if (nothingAccepted) return "No selected items can be safely moved to Trash.";
    if (refusal) return "Tidewell did not remove " + appName + ": " + *refusal + " Nothing was changed.";
    if (quitFailure) return "Tidewell could not quit " + appName + ". Nothing was moved. Close the app and try again.";
    return std::nullopt;
}

CleanupBatch RemovalPlanRun::reportedBatch(const std::string& appName) const {
    CleanupBatch reported = batch;
    if (refusal) reported.addFailure("Remove " + appName, *refusal);
    if (quitFailure) reported.addFailure("Quit " + appName, *quitFailure);
    return reported;
}

std::optional<RemovalPreview> askPackageManagers(const AppInfo& app, const std::vector<CleanupCandidate>& candidates,
                                                 const RemovalSteps& steps) {
    if (!asksPackageManager(candidates) || !steps.previewRemoval) return std::nullopt;
    try {
        return steps.previewRemoval(app, candidates);
    } catch (const std::exception& error) {
        return RemovalPreview{.packages = {}, .refusal = error.what()};
    }
}

RemovalPlanRun carryOutRemovalPlan(const AppInfo& app, const std::vector<CleanupCandidate>& candidates,
                                   const RemovalOptions& options, const RemovalSteps& steps,
                                   const RemovalStatus& status) {
    RemovalPlanRun run;
    std::vector<CleanupCandidate> accepted;
    for (const CleanupCandidate& candidate : candidates)
        if (SafetyPolicy::canCarryOutCandidate(candidate, app)) accepted.push_back(candidate);
    if (accepted.empty()) {
        run.nothingAccepted = true;
        return run;
    }
    std::stable_sort(accepted.begin(), accepted.end(), [](const auto& left, const auto& right) {
        return cleanupMovePriority(left) < cleanupMovePriority(right);
    });
    report(status, "Preparing to move " + std::to_string(accepted.size()) + " items for " + app.name);
    if (const std::optional<RemovalPreview> answer = askPackageManagers(app, accepted, steps); answer) {
        run.refusal = answer->refusal;
        if (run.refusal) return run;
    }
    if (!options.isThisApplication && containsAppRemoval(accepted) && app.isRunning) {
        try {
            steps.quitApp(app, options.allowForceQuit);
        } catch (const std::exception& error) {
            run.quitFailure = error.what();
            return run;
        }
    }
    for (const CleanupCandidate& candidate : accepted) {
        report(status, stepText(candidate));
        const bool done =
            run.batch.attempt(candidate.label, candidate.sizeBytes, [&] { carryOut(app, candidate, options, steps); });
        if (!done) continue;
        noteDone(run, candidate);
        if (options.isThisApplication && candidate.kind == CleanupCandidateKind::appBundle) run.movedOwnBundle = true;
    }
    if (!run.batch.moved.empty() && steps.refreshMenus) steps.refreshMenus();
    return run;
}

std::optional<CleanupBatch> moveLeftoversToTrash(const LeftoverGroup& group,
                                                 const std::vector<CleanupCandidate>& candidates,
                                                 const RemovalSteps& steps, const RemovalStatus& status) {
    std::vector<CleanupCandidate> accepted;
    for (const CleanupCandidate& candidate : candidates)
        if (SafetyPolicy::canMoveStandaloneCandidateToTrash(candidate)) accepted.push_back(candidate);
    if (accepted.empty()) return std::nullopt;
    CleanupBatch batch;
    report(status, "Preparing to move " + std::to_string(accepted.size()) + " leftovers for " + group.name);
    for (const CleanupCandidate& candidate : accepted) {
        report(status, "Moving " + candidate.label + " to Trash");
        batch.attempt(candidate.label, candidate.sizeBytes,
                      [&] { steps.moveToTrash(std::filesystem::path(candidate.path), false); });
    }
    return batch;
}

std::optional<CleanupBatch> moveSafeCleanupItemsToTrash(const std::vector<SafeCleanupItem>& items,
                                                        const RemovalSteps& steps, const RemovalStatus& status) {
    std::vector<SafeCleanupItem> accepted;
    for (const SafeCleanupItem& item : items)
        if (SafetyPolicy::canMoveSafeCleanupItemToTrash(item)) accepted.push_back(item);
    if (accepted.empty()) return std::nullopt;
    CleanupBatch batch;
    report(status, "Moving " + std::to_string(accepted.size()) + " safe cleanup items to Trash");
    for (const SafeCleanupItem& item : accepted) {
        report(status, "Moving " + item.name + " to Trash");
        batch.attempt(item.name, item.sizeBytes, [&] { steps.moveToTrash(std::filesystem::path(item.path), false); });
    }
    return batch;
}

}  // namespace tidewell
