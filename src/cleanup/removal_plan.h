#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cleanup/app_info.h"
#include "cleanup/cleanup_batch.h"
#include "cleanup/cleanup_candidate.h"
#include "cleanup/leftover_group.h"
#include "cleanup/removal_steps.h"
#include "cleanup/safe_cleanup_item.h"

namespace tidewell {

// The choices of a plan sheet.
struct RemovalOptions {
    bool allowForceQuit = false;
    bool allowAdminAuthorization = false;
    // The application's own bundle or executable: it is never quit, and moving it ends the
    // application.
    bool isThisApplication = false;
};

// What a plan did: nothing when the safety policy accepted none of its items, or the
// package managers' answer refused it, or the app would not quit; else its batch.
struct RemovalPlanRun {
    bool nothingAccepted = false;
    std::optional<std::string> refusal;
    std::optional<std::string> quitFailure;
    CleanupBatch batch;
    // The labels done, per route, in the order the routes first ran.
    std::vector<std::pair<RemovalRoute, std::vector<std::string>>> doneByRoute;
    bool movedOwnBundle = false;  // this application's own bundle is in the Trash now

    // "Moved to Trash: a, b." and one such sentence for each other route, joined by " ";
    // `nothingDone` when nothing was done.
    std::string summary(const std::string& nothingDone) const;
    // Why the plan stopped before anything was done, as the user is told; none when it ran.
    std::optional<std::string> stopMessage(const std::string& appName) const;
    // The batch as its report keeps it: what was done and failed, and the refusal or the
    // failed quit that stopped the plan.
    CleanupBatch reportedBatch(const std::string& appName) const;
};

// What the package managers answer for the candidates that go to them (a failed question
// is a refusal); none when no candidate does.
std::optional<RemovalPreview> askPackageManagers(const AppInfo& app, const std::vector<CleanupCandidate>& candidates,
                                                 const RemovalSteps& steps);

// Reports each step as it starts, in words for the status line.
using RemovalStatus = std::function<void(const std::string&)>;

// Carries out an app's plan in order: the items the safety policy accepts, the package
// managers asked first (a refusal stops everything), the app quit when its removal is in
// the plan and it runs, then each item by its route, startup items switched off first,
// going on past failures; the menus are refreshed when anything was done.
RemovalPlanRun carryOutRemovalPlan(const AppInfo& app, const std::vector<CleanupCandidate>& candidates,
                                   const RemovalOptions& options, const RemovalSteps& steps,
                                   const RemovalStatus& status = {});

// The leftover items the safety policy accepts, each to the Trash; none when it accepts none.
std::optional<CleanupBatch> moveLeftoversToTrash(const LeftoverGroup& group,
                                                 const std::vector<CleanupCandidate>& candidates,
                                                 const RemovalSteps& steps, const RemovalStatus& status = {});

// The safe-cleanup items the safety policy accepts, each to the Trash; none when it accepts none.
std::optional<CleanupBatch> moveSafeCleanupItemsToTrash(const std::vector<SafeCleanupItem>& items,
                                                        const RemovalSteps& steps, const RemovalStatus& status = {});

}  // namespace tidewell
