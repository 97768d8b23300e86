#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "firstaid/theme_tint.h"

namespace tidewell {

// Where a queued repair job stands. The raw value is the label shown.
enum class RepairTaskPhase { queued, diagnosing, ready, repairing, verifying, repaired, partial, failed, cancelled };

inline constexpr std::array<RepairTaskPhase, 9> allRepairTaskPhases{
    RepairTaskPhase::queued,    RepairTaskPhase::diagnosing, RepairTaskPhase::ready,
    RepairTaskPhase::repairing, RepairTaskPhase::verifying,  RepairTaskPhase::repaired,
    RepairTaskPhase::partial,   RepairTaskPhase::failed,     RepairTaskPhase::cancelled};

std::string rawValue(RepairTaskPhase phase);
std::optional<RepairTaskPhase> repairTaskPhaseFromRawValue(std::string_view raw);
ThemeTint tint(RepairTaskPhase phase);

// The verdict of one export, as stored in the history and printed in reports.
enum class RepairOutcomeState { repaired, partial, failed };

std::string rawValue(RepairOutcomeState state);
std::optional<RepairOutcomeState> repairOutcomeStateFromRawValue(std::string_view raw);

// The stage passed to the progress callback of an export.
enum class RepairProgressStage { diagnosing, repairing, verifying };

std::string rawValue(RepairProgressStage stage);
std::optional<RepairProgressStage> repairProgressStageFromRawValue(std::string_view raw);

}  // namespace tidewell
