#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "firstaid/theme_tint.h"

namespace tidewell {

// The weight of one finding. The raw value is the label.
enum class RepairFindingLevel { ok, warning, failed, info };

std::string rawValue(RepairFindingLevel level);
std::optional<RepairFindingLevel> repairFindingLevelFromRawValue(std::string_view raw);
std::string label(RepairFindingLevel level);
std::string symbol(RepairFindingLevel level);
ThemeTint tint(RepairFindingLevel level);

// One line of a diagnosis. Each finding gets a fresh id, so two findings with
// the same text are still distinct rows.
struct RepairFinding {
    std::string id;
    std::string title;
    std::string detail;
    RepairFindingLevel level = RepairFindingLevel::info;

    RepairFinding(std::string id, std::string title, std::string detail, RepairFindingLevel level);
    RepairFinding(std::string title, std::string detail, RepairFindingLevel level);
    bool operator==(const RepairFinding&) const = default;
};

// One tile of the preview of what a diagnosis found.
struct RepairPreviewItem {
    std::string id;
    std::string title;
    std::string detail;
    std::string systemImage;

    RepairPreviewItem(std::string id, std::string title, std::string detail, std::string systemImage);
    RepairPreviewItem(std::string title, std::string detail, std::string systemImage);
    bool operator==(const RepairPreviewItem&) const = default;
};

}  // namespace tidewell
