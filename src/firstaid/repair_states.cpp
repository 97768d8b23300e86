#include "firstaid/repair_states.h"

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
    for (auto phase : allRepairTaskPhases) {
        if (rawValue(phase) == raw) return phase;
    }
    return std::nullopt;
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
    for (auto state : {RepairOutcomeState::repaired, RepairOutcomeState::partial, RepairOutcomeState::failed}) {
        if (rawValue(state) == raw) return state;
    }
    return std::nullopt;
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
    for (auto stage :
         {RepairProgressStage::diagnosing, RepairProgressStage::repairing, RepairProgressStage::verifying}) {
        if (rawValue(stage) == raw) return stage;
    }
    return std::nullopt;
}

}  // namespace tidewell
