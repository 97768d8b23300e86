#include "cleanup/app_scanner.h"
#include "cleanup/clean_layout.h"
#include "cleanup/leftover_scan.h"
#include "cleanup/safe_cleanup_scan.h"

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
};

}  // namespace

const CleanLayout& CleanLayouts::macos() {
    static const MacOSLayout layout;
    return layout;
}

}  // namespace tidewell
