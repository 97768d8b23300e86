#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cleanup/app_info.h"
#include "cleanup/cleanup_candidate.h"

namespace tidewell {

// What the package managers would take with a plan, asked before anything runs.
struct RemovalPreview {
    std::vector<std::string> packages;   // every package the removal would take, in order
    std::optional<std::string> refusal;  // why the plan must not run

    bool operator==(const RemovalPreview&) const = default;
};

// The actions a plan is carried out with; a layout supplies the real ones and tests may
// wrap them. Each throws std::runtime_error (or another exception) with a one-sentence
// reason when its item could not be handled.
struct RemovalSteps {
    // The item's new location in the Trash when known.
    std::function<std::optional<std::filesystem::path>(const std::filesystem::path&, bool allowAdminAuthorization)>
        moveToTrash;
    std::function<void(const AppInfo&, bool allowForceQuit)> quitApp;
    // Unloads or disables a startup item just before its file moves; failures are the
    // layout's to ignore where the move still switches it off.
    std::function<void(const CleanupCandidate&)> switchOffStartupItem;
    // Carries out an item whose route is not the Trash.
    std::function<void(const AppInfo&, const CleanupCandidate&)> removeByRoute;
    std::function<RemovalPreview(const AppInfo&, const std::vector<CleanupCandidate>&)> previewRemoval;
    // After a batch: menus and launchers forget what is gone.
    std::function<void()> refreshMenus;
};

}  // namespace tidewell
