#include "firstaid/repair_finding.h"

#include <array>
#include <utility>

#include "firstaid/raw_value_lookup.h"
#include "util/uuid.h"

namespace tidewell {

std::string rawValue(RepairFindingLevel level) {
    switch (level) {
        case RepairFindingLevel::ok:
            return "Found";
        case RepairFindingLevel::warning:
            return "Needs review";
        case RepairFindingLevel::failed:
            return "Missing";
        case RepairFindingLevel::info:
            return "Info";
    }
    return "Info";
}

std::optional<RepairFindingLevel> repairFindingLevelFromRawValue(std::string_view raw) {
    constexpr std::array cases{RepairFindingLevel::ok, RepairFindingLevel::warning, RepairFindingLevel::failed,
                               RepairFindingLevel::info};
    return caseWithRawValue<RepairFindingLevel>(cases, raw);
}

std::string label(RepairFindingLevel level) {
    return rawValue(level);
}

std::string symbol(RepairFindingLevel level) {
    switch (level) {
        case RepairFindingLevel::ok:
            return "checkmark.circle.fill";
        case RepairFindingLevel::warning:
            return "exclamationmark.triangle.fill";
        case RepairFindingLevel::failed:
            return "xmark.circle.fill";
        case RepairFindingLevel::info:
            return "info.circle.fill";
    }
    return "info.circle.fill";
}

ThemeTint tint(RepairFindingLevel level) {
    switch (level) {
        case RepairFindingLevel::ok:
            return ThemeTint::themeTeal;
        case RepairFindingLevel::warning:
            return ThemeTint::orange;
        case RepairFindingLevel::failed:
            return ThemeTint::red;
        case RepairFindingLevel::info:
            return ThemeTint::themeBlue;
    }
    return ThemeTint::themeBlue;
}

RepairFinding::RepairFinding(std::string id, std::string title, std::string detail, RepairFindingLevel level)
    : id(std::move(id)), title(std::move(title)), detail(std::move(detail)), level(level) {}

RepairFinding::RepairFinding(std::string title, std::string detail, RepairFindingLevel level)
    : RepairFinding(makeUUIDString(), std::move(title), std::move(detail), level) {}

RepairPreviewItem::RepairPreviewItem(std::string id, std::string title, std::string detail, std::string systemImage)
    : id(std::move(id)), title(std::move(title)), detail(std::move(detail)), systemImage(std::move(systemImage)) {}

RepairPreviewItem::RepairPreviewItem(std::string title, std::string detail, std::string systemImage)
    : RepairPreviewItem(makeUUIDString(), std::move(title), std::move(detail), std::move(systemImage)) {}

}  // namespace tidewell
