#include "cleanup/cleanup_candidates.h"

#include "platform/disk_usage.h"

namespace tidewell::AppScanner {

namespace fs = std::filesystem;
using Kind = CleanupCandidate::Kind;
using Safety = CleanupCandidate::SafetyLevel;

namespace {

// Candidates that are listed whatever their size (a link is never measured).
CleanupCandidate candidate(Kind kind, const std::string& label, const std::string& path, std::int64_t size,
                           Safety safety, const std::string& evidence, bool defaultSelected, bool selectable,
                           const std::string& note) {
    return CleanupCandidate{path, kind, label, path, size, safety, evidence, defaultSelected, selectable, note};
}

CleanupCandidate appLinkCandidate(const fs::path& link, bool isProtected) {
    return candidate(Kind::appLink, link.filename().string(), link.string(), 0,
                     isProtected ? Safety::protected_ : Safety::safe,
                     isProtected ? "System application link" : "Application link points to selected app bundle",
                     !isProtected, !isProtected,
                     isProtected ? "System app link is locked."
                                 : "Shortcut in Applications. Moving it prevents a broken app icon from remaining.");
}

CleanupCandidate appBundleCandidate(const fs::path& appURL, const std::string& appName, std::int64_t appSize,
                                    bool isProtected) {
    return candidate(Kind::appBundle, appName + ".app", appURL.string(), appSize,
                     isProtected ? Safety::protected_ : Safety::safe,
                     isProtected ? "System application path" : "Inside selected app bundle", !isProtected, !isProtected,
                     isProtected ? "System app is locked." : "Main app bundle.");
}

CleanupCandidate launchAgentCandidate(const LaunchAgentInfo& item) {
    return candidate(Kind::launchAgent, item.label, item.path, platform::fileSize(item.path),
                     item.requiresAdmin ? Safety::protected_ : Safety::likely,
                     item.requiresAdmin ? "System-level startup item" : "LaunchAgent Program points to selected app",
                     !item.requiresAdmin, !item.requiresAdmin,
                     item.requiresAdmin ? "Requires administrator helper in a future build."
                                        : "User-level startup item can relaunch this app.");
}

CleanupCandidate privilegedHelperCandidate(const std::string& helperPath) {
    return candidate(Kind::privilegedHelper, fs::path(helperPath).filename().string(), helperPath,
                     platform::fileSize(helperPath), Safety::protected_,
                     "Privileged helper referenced by system launch item", false, false,
                     "Admin helper support is required before Tidewell can remove this safely.");
}

CleanupCandidate installerCandidate(const InstallerCandidate& installer) {
    return candidate(Kind::installer, installer.name, installer.path, installer.sizeBytes, Safety::review,
                     "Installer name matched in Downloads", false, true,
                     "Installer in Downloads. Optional; users may keep installers as backups.");
}

}  // namespace

std::vector<CleanupCandidate> cleanupCandidates(const fs::path& appURL, const std::optional<fs::path>& appLinkURL,
                                                const std::string& appName, const std::string& /*bundleID*/,
                                                std::int64_t appSize, const RelatedUsage& related,
                                                const std::vector<InstallerCandidate>& installers,
                                                const std::vector<LaunchAgentInfo>& launchAgents, bool isProtected) {
    std::vector<CleanupCandidate> candidates;
    if (appLinkURL) candidates.push_back(appLinkCandidate(*appLinkURL, isProtected));
    candidates.push_back(appBundleCandidate(appURL, appName, appSize, isProtected));
    candidates.insert(candidates.end(), related.candidates.begin(), related.candidates.end());
    for (const LaunchAgentInfo& item : launchAgents) candidates.push_back(launchAgentCandidate(item));
    for (const LaunchAgentInfo& item : launchAgents)
        if (item.helperPath) candidates.push_back(privilegedHelperCandidate(*item.helperPath));
    for (const InstallerCandidate& installer : installers) candidates.push_back(installerCandidate(installer));
    return candidates;
}

}  // namespace tidewell::AppScanner
