#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cleanup/cleanup_candidate.h"
#include "cleanup/installer_candidates.h"
#include "cleanup/launch_agent_info.h"
#include "cleanup/related_usage.h"

namespace tidewell::AppScanner {

// Everything an uninstall of one app could move, in plan order: the link that
// reached it, the bundle, its related files, its startup items, their
// privileged helpers, its installers. Protected apps keep their bundle and
// link locked; system-wide items and helpers are always locked.
std::vector<CleanupCandidate> cleanupCandidates(const std::filesystem::path& appURL,
                                                const std::optional<std::filesystem::path>& appLinkURL,
                                                const std::string& appName, const std::string& bundleID,
                                                std::int64_t appSize, const RelatedUsage& related,
                                                const std::vector<InstallerCandidate>& installers,
                                                const std::vector<LaunchAgentInfo>& launchAgents, bool isProtected);

}  // namespace tidewell::AppScanner
