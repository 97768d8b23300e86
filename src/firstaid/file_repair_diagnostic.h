#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "firstaid/file_repair_kind.h"
#include "firstaid/repair_finding.h"

namespace tidewell {

// The result of diagnosing one file.
struct FileRepairDiagnostic {
    std::filesystem::path sourceURL;
    FileRepairKind kind = FileRepairKind::unknown;
    std::int64_t sizeBytes = 0;
    std::vector<RepairFinding> findings;  // in the order the checks ran
    bool canAttemptRepair = false;
    bool canExtractReadableContent = false;
    std::string recommendedAction;
    std::vector<std::string> toolNotes;
    std::vector<RepairPreviewItem> previewItems;

    bool operator==(const FileRepairDiagnostic&) const = default;
};

}  // namespace tidewell
