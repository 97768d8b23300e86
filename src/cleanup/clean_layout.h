#pragma once

#include <string_view>
#include <vector>

#include "cleanup/app_info.h"
#include "cleanup/leftover_group.h"
#include "cleanup/removal_steps.h"
#include "cleanup/safe_cleanup_item.h"
#include "cleanup/scan_result.h"
#include "platform/layout_kind.h"

namespace tidewell {

// Where apps and the files around them live on this disk, and how they are found. The
// model, the pages and the headless commands use only this interface; each layout keeps
// its scanners in a folder of its own (cleanup/macos, cleanup/freedesktop) and shares the
// values, the safety policy, the Trash and the reports. Each layout also says how its apps
// leave: the Trash for what the user owns, the owning package manager for the rest.
class CleanLayout {
public:
    virtual ~CleanLayout() = default;

    virtual platform::LayoutKind kind() const = 0;

    // The installed apps, unprotected first, then by name ignoring case. Without
    // `includePermissionSensitive` the user's own folders (caches, settings, Downloads,
    // startup items) are not read: related sizes are 0, installers and startup items empty.
    // Reads only; never fails.
    virtual std::vector<AppInfo> scanApps(bool includePermissionSensitive) const = 0;

    // What removed apps left behind, grouped per app, largest group first. Reads only.
    virtual std::vector<LeftoverGroup> scanLeftovers(const std::vector<AppInfo>& installedApps) const = 0;

    // Installers, old logs and old caches the safe cleanup offers. Reads only.
    virtual std::vector<SafeCleanupItem> scanSafeCleanup() const = 0;

    // How this layout's plans are carried out: the Trash, stopping apps, switching off
    // startup items, and the package managers' own removals.
    virtual RemovalSteps removalSteps() const = 0;

    // The inventory without the permission-sensitive places, then the leftovers of apps it
    // does not hold.
    AppScanner::ScanResult scanAll() const;
};

namespace CleanLayouts {

const CleanLayout& macos();
const CleanLayout& freedesktop();

// The layout TIDEWELL_LAYOUT selects (freedesktop when unset); throws
// platform::UnknownLayoutError for any other value.
const CleanLayout& active();

}  // namespace CleanLayouts

}  // namespace tidewell
