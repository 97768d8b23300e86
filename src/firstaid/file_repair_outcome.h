#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "firstaid/repair_states.h"

namespace tidewell {

// What an export produced: one file standing in for the original, or a folder
// of individually readable files.
enum class RepairExportKind { repairedCopy, extractedContents };

// The result of one export.
struct FileRepairOutcome {
    std::filesystem::path outputURL;
    RepairOutcomeState state = RepairOutcomeState::failed;
    std::string message;
    std::vector<std::string> warnings;  // in the order they arose
    std::string report;
    RepairExportKind exportKind = RepairExportKind::repairedCopy;

    bool operator==(const FileRepairOutcome&) const = default;
};

}  // namespace tidewell
