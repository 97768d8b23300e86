#include "cleanup/cleanup_safety_level.h"

namespace tidewell {

std::string rawValue(CleanupSafetyLevel level) {
    switch (level) {
        case CleanupSafetyLevel::safe:
            return "Safe match";
        case CleanupSafetyLevel::likely:
            return "Likely related";
        case CleanupSafetyLevel::review:
            return "Review needed";
        case CleanupSafetyLevel::protected_:
            return "Protected";
    }
    return {};
}

std::optional<CleanupSafetyLevel> cleanupSafetyLevelFromRawValue(std::string_view raw) {
    for (CleanupSafetyLevel level : cleanupSafetyLevelSummaryOrder)
        if (rawValue(level) == raw) return level;
    return std::nullopt;
}

std::string defaultAction(CleanupSafetyLevel level) {
    switch (level) {
        case CleanupSafetyLevel::safe:
        case CleanupSafetyLevel::likely:
            return "Selected by default";
        case CleanupSafetyLevel::review:
            return "Not selected";
        case CleanupSafetyLevel::protected_:
            return "Locked";
    }
    return {};
}

std::string symbolName(CleanupSafetyLevel level) {
    switch (level) {
        case CleanupSafetyLevel::safe:
            return "checkmark.shield.fill";
        case CleanupSafetyLevel::likely:
            return "checkmark.circle.fill";
        case CleanupSafetyLevel::review:
            return "questionmark.circle.fill";
        case CleanupSafetyLevel::protected_:
            return "lock.fill";
    }
    return {};
}

}  // namespace tidewell
