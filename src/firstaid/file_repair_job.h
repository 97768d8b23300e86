#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "firstaid/file_repair_diagnostic.h"
#include "firstaid/file_repair_outcome.h"
#include "firstaid/repair_states.h"

namespace tidewell {

// One file in the repair queue.
struct FileRepairJob {
    std::string id;
    std::filesystem::path sourceURL;
    std::optional<FileRepairDiagnostic> diagnostic;
    std::optional<FileRepairOutcome> outcome;
    RepairTaskPhase phase = RepairTaskPhase::queued;
    std::string statusText = "Waiting";
    double progress = 0;
    std::optional<std::string> errorMessage;

    // A new queued job with a fresh id.
    explicit FileRepairJob(std::filesystem::path sourceURL);

    // The source's last path component.
    std::string title() const;
    // The diagnosed kind's label, else the extension in upper case, else "File".
    std::string subtitle() const;

    bool operator==(const FileRepairJob&) const = default;
};

}  // namespace tidewell
