#pragma once

#include "cleanup/removal_steps.h"

namespace tidewell::Freedesktop {

// How plans leave a Linux desktop: the freedesktop Trash for the user's files, Flatpak,
// snapd and apt for what they installed (apt asked first with a simulation), a hiding copy
// for a system autostart entry, systemctl for the user's units, and a menu refresh after.
RemovalSteps removalSteps();

// What apt would take with the plan's Debian package, refused when the system needs one of
// the packages; empty for any other plan.
RemovalPreview previewRemoval(const AppInfo& app, const std::vector<CleanupCandidate>& candidates);

}  // namespace tidewell::Freedesktop
