#include "cleanup/clean_layout.h"
#include "cleanup/freedesktop/app_inventory.h"
#include "cleanup/freedesktop/installed_software.h"
#include "cleanup/freedesktop/linux_leftovers.h"
#include "cleanup/freedesktop/linux_removal.h"
#include "cleanup/freedesktop/linux_safe_cleanup.h"

namespace tidewell {

namespace {

// Desktop entries, Flatpak, Snap, AppImage and Debian packages, and the XDG folders.
class FreedesktopLayout final : public CleanLayout {
public:
    platform::LayoutKind kind() const override { return platform::LayoutKind::freedesktop; }

    std::vector<AppInfo> scanApps(bool includePermissionSensitive) const override {
        return Freedesktop::inventory(includePermissionSensitive);
    }

    std::vector<LeftoverGroup> scanLeftovers(const std::vector<AppInfo>&) const override {
        return Freedesktop::leftovers(Freedesktop::scanInstalledSoftware());
    }

    // A running app's cache is in use: never offered.
    std::vector<SafeCleanupItem> scanSafeCleanup() const override {
        return Freedesktop::safeCleanupItems(Freedesktop::runningAppKeys());
    }

    RemovalSteps removalSteps() const override { return Freedesktop::removalSteps(); }
};

}  // namespace

const CleanLayout& CleanLayouts::freedesktop() {
    static const FreedesktopLayout layout;
    return layout;
}

}  // namespace tidewell
