#pragma once

#include <optional>

#include "firstaid/file_repair_diagnostic.h"
#include "firstaid/file_repair_outcome.h"
#include "firstaid/repair_history_record.h"

namespace tidewell {

// A finished repair export or extraction, with what the history and the queue keep of it.
struct RepairExportResult {
    FileRepairOutcome outcome;
    RepairHistoryRecord record;
    // The repaired copy diagnosed again; none for an extraction or when that diagnosis failed.
    std::optional<FileRepairDiagnostic> outputDiagnostic;
};

}  // namespace tidewell
