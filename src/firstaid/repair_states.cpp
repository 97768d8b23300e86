#include "firstaid/repair_states.h"

#include "firstaid/raw_value_lookup.h"

namespace tidewell {

std::string rawValue(RepairTaskPhase phase) {
    switch (phase) {
        case RepairTaskPhase::queued:
            return "Queued";
        case RepairTaskPhase::diagnosing:
            return "Diagnosing";
        case RepairTaskPhase::ready:
            return "Ready";
        case RepairTaskPhase::repairing:
            return "Repairing";
        case RepairTaskPhase::verifying:
            return "Verifying";
        case RepairTaskPhase::repaired:
            return "Repaired";
        case RepairTaskPhase::partial:
            return "Partially recovered";
        case RepairTaskPhase::failed:
            return "Could not repair";
        case RepairTaskPhase::cancelled:
            return "Cancelled";
    }
    return "Queued";
}

std::optional<RepairTaskPhase> repairTaskPhaseFromRawValue(std::string_view raw) {
    return caseWithRawValue<RepairTaskPhase>(allRepairTaskPhases, raw);
}

ThemeTint tint(RepairTaskPhase phase) {
    switch (phase) {
        case RepairTaskPhase::ready:
        case RepairTaskPhase::repaired:
            return ThemeTint::themeTeal;
        case RepairTaskPhase::partial:
            return ThemeTint::orange;
        case RepairTaskPhase::failed:
        case RepairTaskPhase::cancelled:
            return ThemeTint::red;
        default:
            return ThemeTint::themeBlue;
    }
}

std::string rawValue(RepairOutcomeState state) {
    switch (state) {
        case RepairOutcomeState::repaired:
            return "Repaired";
        case RepairOutcomeState::partial:
            return "Partially recovered";
        case RepairOutcomeState::failed:
            return "Could not repair";
    }
    return "Could not repair";
}

std::optional<RepairOutcomeState> repairOutcomeStateFromRawValue(std::string_view raw) {
    constexpr std::array cases{RepairOutcomeState::repaired, RepairOutcomeState::partial, RepairOutcomeState::failed};
    return caseWithRawValue<RepairOutcomeState>(cases, raw);
}

std::string rawValue(RepairProgressStage stage) {
    switch (stage) {
        case RepairProgressStage::diagnosing:
            return "Diagnosing";
        case RepairProgressStage::repairing:
            return "Repairing";
        case RepairProgressStage::verifying:
            return "Verifying";
    }
    return "Diagnosing";
}

std::optional<RepairProgressStage> repairProgressStageFromRawValue(std::string_view raw) {
    constexpr std::array cases{RepairProgressStage::diagnosing, RepairProgressStage::repairing,
                               RepairProgressStage::verifying};
    return caseWithRawValue<RepairProgressStage>(cases, raw);
}

}  // namespace tidewell
