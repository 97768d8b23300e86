#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tidewell {

// What sort of item a cleanup candidate is, in declaration order.
enum class CleanupCandidateKind {
    appBundle,
    appLink,
    cache,
    applicationSupport,
    preferences,
    savedState,
    logs,
    container,
    groupContainer,
    applicationScripts,
    installer,
    launchAgent,
    privilegedHelper,
};

inline constexpr std::array<CleanupCandidateKind, 13> allCleanupCandidateKinds = {
    CleanupCandidateKind::appBundle,
    CleanupCandidateKind::appLink,
    CleanupCandidateKind::cache,
    CleanupCandidateKind::applicationSupport,
    CleanupCandidateKind::preferences,
    CleanupCandidateKind::savedState,
    CleanupCandidateKind::logs,
    CleanupCandidateKind::container,
    CleanupCandidateKind::groupContainer,
    CleanupCandidateKind::applicationScripts,
    CleanupCandidateKind::installer,
    CleanupCandidateKind::launchAgent,
    CleanupCandidateKind::privilegedHelper,
};

// Raw values: "App", "App Link", "Cache", "Support", "Prefs", "Saved State",
// "Logs", "Container", "Group Container", "Scripts", "Installer",
// "LaunchAgent", "Privileged Helper".
std::string rawValue(CleanupCandidateKind kind);
std::optional<CleanupCandidateKind> cleanupCandidateKindFromRawValue(std::string_view raw);

}  // namespace tidewell
