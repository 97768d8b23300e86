#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "firstaid/file_repair_diagnostic.h"
#include "firstaid/file_repair_outcome.h"
#include "firstaid/repair_export.h"
#include "process/command_runner.h"

// The exporter of each kind behind repair(); each writes one new file at the output.
namespace tidewell::FileFirstAidEngine {

// One export in progress: its input, output, token and progress callback.
struct RepairJob {
    const FileRepairDiagnostic& diagnostic;
    const std::filesystem::path& output;
    const std::shared_ptr<RepairCancellationToken>& token;
    const RepairProgress& progress;

    const std::filesystem::path& source() const { return diagnostic.sourceURL; }
    void report(RepairProgressStage stage, double fraction, const std::string& line) const;
    void throwIfCancelled() const;
    // Runs a tool with the source's time-out and the job's token.
    CommandOutput run(const std::string& tool, const std::vector<std::string>& arguments,
                      const std::optional<std::filesystem::path>& directory = std::nullopt,
                      const std::optional<std::string>& input = std::nullopt) const;
    // Validates the output (deleted when rejected) and returns its warnings.
    std::vector<std::string> validated() const;
    // A repaired copy: repaired when there are no warnings, else partial, unless forced partial.
    FileRepairOutcome outcome(const std::string& message, const std::vector<std::string>& warnings,
                              bool alwaysPartial = false) const;
};

// Removes whatever file is at the output, so that a tool writes a fresh one.
void removeExistingOutput(const std::filesystem::path& output);
bool isMissingOrEmptyFile(const std::filesystem::path& path);

FileRepairOutcome repairArchive(const RepairJob& job);
FileRepairOutcome repairPDF(const RepairJob& job);
FileRepairOutcome repairVideo(const RepairJob& job);
FileRepairOutcome repairAudio(const RepairJob& job);
FileRepairOutcome repairImage(const RepairJob& job);

// "Skipped N unreadable archive entries: a, b, c, d, e …", or none when nothing is missing.
std::optional<std::string> skippedEntriesWarning(const std::vector<std::string>& listed,
                                                 const std::set<std::string>& extractedFiles);

}  // namespace tidewell::FileFirstAidEngine
