#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cleanup/app_info.h"
#include "cleanup/freedesktop/app_processes.h"
#include "cleanup/freedesktop/linux_app.h"
#include "cleanup/freedesktop/related_files.h"
#include "cleanup/installer_candidates.h"
#include "cleanup/launch_agent_info.h"

namespace tidewell::Freedesktop {

// What one pass reads once and matches against every app.
struct InventoryPass {
    bool includePermissionSensitive = false;
    std::vector<AppProcess> processes;
    std::vector<AppScanner::InstallerCandidate> installers;
    std::vector<LaunchAgentInfo> startupItems;
    std::optional<RelatedFolderListing> relatedFolders;  // with includePermissionSensitive
};

// The app as the pages show it: sizes, memory, dates, related rows, startup items and
// installers, and what an uninstall could move, the app itself first.
AppInfo appInfo(const LinuxApp& app, const InventoryPass& pass);

// Every installed app, unprotected first, then by name ignoring case.
std::vector<AppInfo> inventory(bool includePermissionSensitive);

// The related-folder names of the apps that are running now.
std::vector<std::string> runningAppKeys();

}  // namespace tidewell::Freedesktop
