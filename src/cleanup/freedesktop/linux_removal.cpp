#include "cleanup/freedesktop/linux_removal.h"

#include <algorithm>
#include <stdexcept>

#include "cleanup/folder_listing.h"
#include "cleanup/freedesktop/app_stopping.h"
#include "cleanup/freedesktop/debian/apt_removal.h"
#include "cleanup/freedesktop/flatpak/flatpak_removal.h"
#include "cleanup/freedesktop/snap/snap_removal.h"
#include "cleanup/freedesktop/startup_switches.h"
#include "cleanup/trash_executor.h"
#include "util/text_helpers.h"

namespace tidewell::Freedesktop {

namespace {

void removeByRoute(const AppInfo& app, const CleanupCandidate& candidate) {
    switch (candidate.route) {
        case RemovalRoute::flatpak:
            return uninstallFlatpak(app.bundleIdentifier, candidate.path);
        case RemovalRoute::snap:
            return removeSnap(app.bundleIdentifier);
        case RemovalRoute::apt:
            return removeWithApt(app.bundleIdentifier);
        case RemovalRoute::hiddenAutostart:
            return hideSystemAutostartEntry(candidate.path);
        case RemovalRoute::trash:
            break;
    }
    throw std::logic_error("The Trash route has no removal of its own.");
}

void switchOffStartupItem(const CleanupCandidate& candidate) {
    if (AppScanner::pathExtension(candidate.path) == "service") disableUserUnit(candidate.path);
}

}  // namespace

RemovalPreview previewRemoval(const AppInfo& app, const std::vector<CleanupCandidate>& candidates) {
    RemovalPreview preview;
    const bool asksApt = std::any_of(candidates.begin(), candidates.end(), [](const CleanupCandidate& candidate) {
        return candidate.route == RemovalRoute::apt;
    });
    if (!asksApt) return preview;
    const AptSimulation simulation = simulateAptRemoval(app.bundleIdentifier);
    preview.packages = simulation.removedPackages;
    if (!simulation.protectedPackages.empty())
        preview.refusal = "apt would also remove packages the system needs: " +
                          text_helpers::joined(simulation.protectedPackages, ", ") + ".";
    return preview;
}

RemovalSteps removalSteps() {
    return RemovalSteps{.moveToTrash =
                            [](const std::filesystem::path& url, bool allowAdminAuthorization) {
                                return TrashExecutor::moveToTrash(url, allowAdminAuthorization);
                            },
                        .quitApp = [](const AppInfo& app, bool allowForceQuit) { quitLinuxApp(app, allowForceQuit); },
                        .switchOffStartupItem = switchOffStartupItem,
                        .removeByRoute = removeByRoute,
                        .previewRemoval = previewRemoval,
                        .refreshMenus = refreshUserMenus};
}

}  // namespace tidewell::Freedesktop
