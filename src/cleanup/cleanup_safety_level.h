#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tidewell {

// How sure the inventory is that an item belongs to an app and may go.
enum class CleanupSafetyLevel { safe, likely, review, protected_ };

// Raw values: "Safe match", "Likely related", "Review needed", "Protected".
std::string rawValue(CleanupSafetyLevel level);
std::optional<CleanupSafetyLevel> cleanupSafetyLevelFromRawValue(std::string_view raw);

// The order summaries list the levels in.
inline constexpr std::array<CleanupSafetyLevel, 4> cleanupSafetyLevelSummaryOrder = {
    CleanupSafetyLevel::safe, CleanupSafetyLevel::likely, CleanupSafetyLevel::review, CleanupSafetyLevel::protected_};

// "Selected by default", "Not selected" or "Locked".
std::string defaultAction(CleanupSafetyLevel level);
// The symbol the views show beside the level.
std::string symbolName(CleanupSafetyLevel level);

}  // namespace tidewell
