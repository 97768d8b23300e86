#include "cleanup/cleanup_candidate_kind.h"

namespace tidewell {

std::string rawValue(CleanupCandidateKind kind) {
    switch (kind) {
        case CleanupCandidateKind::appBundle:
            return "App";
        case CleanupCandidateKind::appLink:
            return "App Link";
        case CleanupCandidateKind::cache:
            return "Cache";
        case CleanupCandidateKind::applicationSupport:
            return "Support";
        case CleanupCandidateKind::preferences:
            return "Prefs";
        case CleanupCandidateKind::savedState:
            return "Saved State";
        case CleanupCandidateKind::logs:
            return "Logs";
        case CleanupCandidateKind::container:
            return "Container";
        case CleanupCandidateKind::groupContainer:
            return "Group Container";
        case CleanupCandidateKind::applicationScripts:
            return "Scripts";
        case CleanupCandidateKind::installer:
            return "Installer";
        case CleanupCandidateKind::launchAgent:
            return "LaunchAgent";
        case CleanupCandidateKind::privilegedHelper:
            return "Privileged Helper";
    }
    return {};
}

std::optional<CleanupCandidateKind> cleanupCandidateKindFromRawValue(std::string_view raw) {
    for (CleanupCandidateKind kind : allCleanupCandidateKinds)
        if (rawValue(kind) == raw) return kind;
    return std::nullopt;
}

}  // namespace tidewell
