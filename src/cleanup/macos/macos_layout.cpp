#include "cleanup/app_scanner.h"
#include "cleanup/clean_layout.h"
#include "cleanup/launch_agent_controller.h"
#include "cleanup/leftover_scan.h"
#include "cleanup/process_controller.h"
#include "cleanup/safe_cleanup_scan.h"
#include "cleanup/trash_executor.h"

namespace tidewell {

namespace {

// ".app" bundles in the Applications folders, the user's Library and launchd items.
class MacOSLayout final : public CleanLayout {
public:
    platform::LayoutKind kind() const override { return platform::LayoutKind::macos; }
    std::vector<AppInfo> scanApps(bool includePermissionSensitive) const override {
        return AppScanner::scan(includePermissionSensitive);
    }
    std::vector<LeftoverGroup> scanLeftovers(const std::vector<AppInfo>& installedApps) const override {
        return AppScanner::scanLeftovers(installedApps);
    }
    std::vector<SafeCleanupItem> scanSafeCleanup() const override { return AppScanner::scanSafeCleanup(); }
    // Bundles and every item around them go to the Trash; no package manager owns them.
    RemovalSteps removalSteps() const override {
        return RemovalSteps{
            .moveToTrash =
                [](const std::filesystem::path& url, bool allowAdminAuthorization) {
                    return TrashExecutor::moveToTrash(url, allowAdminAuthorization);
                },
            .quitApp = [](const AppInfo& app, bool allowForceQuit) { ProcessController::quitApp(app, allowForceQuit); },
            .switchOffStartupItem =
                [](const CleanupCandidate& candidate) { LaunchAgentController::bootout(candidate); },
            .removeByRoute =
                [](const AppInfo&, const CleanupCandidate&) {
                    throw std::runtime_error("This item can only be moved to the Trash.");
                },
            .previewRemoval = [](const AppInfo&, const std::vector<CleanupCandidate>&) { return RemovalPreview{}; },
            .refreshMenus = [] {}};
    }
};

}  // namespace

const CleanLayout& CleanLayouts::macos() {
    static const MacOSLayout layout;
    return layout;
}

}  // namespace tidewell
