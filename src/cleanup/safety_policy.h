#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cleanup/app_info.h"
#include "cleanup/cleanup_candidate.h"
#include "cleanup/safe_cleanup_item.h"

namespace tidewell::SafetyPolicy {

// The gate between a plan and the Trash. Every answer reflects the file system
// at the moment of the call (existence and link status are read each time), so
// callers ask once when a plan is built and again just before each move. Any
// unreadable property, missing item or malformed path answers false.

bool isProtectedPath(std::string_view path);
bool isAllowedAppBundlePath(std::string_view path);
// False only inside Home/Applications; system-wide bundles need an administrator.
bool needsAdminAuthorizationForAppBundlePath(std::string_view path);

bool canMoveAppBundleToTrash(const AppInfo& app);
bool canMoveCandidateToTrash(const CleanupCandidate& candidate, const AppInfo& app);
// The gate for every route of a plan: the Trash as above; a package manager's removal only
// for the unprotected app of its origin; hiding only a system autostart entry.
bool canCarryOutCandidate(const CleanupCandidate& candidate, const AppInfo& app);
// Leftover-group candidates, which belong to no installed app.
bool canMoveStandaloneCandidateToTrash(const CleanupCandidate& candidate);
bool canMoveSafeCleanupItemToTrash(const SafeCleanupItem& item);

// An absolute path with "." segments, empty segments and a trailing "/"
// removed and each ".." folded into the segment before it. A ".." that would
// climb above "/" stays, so the "/../" rule can refuse it. None for a path
// that is empty, relative or contains a NUL.
std::optional<std::string> standardizedPath(std::string_view path);

}  // namespace tidewell::SafetyPolicy
