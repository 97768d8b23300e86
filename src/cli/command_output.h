#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "cleanup/cleanup_candidate.h"
#include "cli/command_arguments.h"
#include "firstaid/file_repair_outcome.h"
#include "firstaid/repair_export.h"

// What the commands print: one JSON document, or lines for a person.
namespace tidewell::cli {

// The document on standard output, pretty-printed with sorted keys.
void printJSON(const nlohmann::json& document);

// The absolute path of the existing folder --output names; a UsageError when
// it is missing or not a folder, so a mistyped name is reported instead of
// silently created somewhere.
std::filesystem::path outputFolder(const CommandArguments& arguments);

// "tidewell: FILE: message" on standard error.
void reportFileError(const std::filesystem::path& file, const std::string& message);

// ISO 8601 UTC text, or null.
nlohmann::json dateJSON(const std::optional<std::chrono::system_clock::time_point>& date);

nlohmann::json candidateJSON(const CleanupCandidate& candidate);
// "    [Safe match] Cache  12 KB  /path  (evidence)"
std::string candidateLine(const CleanupCandidate& candidate);

nlohmann::json outcomeJSON(const std::filesystem::path& source, const FileRepairOutcome& outcome);
void printOutcome(const std::filesystem::path& source, const FileRepairOutcome& outcome, bool withReport);

// Prints "tidewell: FILE: <stage> <percent>% <status>" on standard error for each step.
FileFirstAidEngine::RepairProgress progressPrinter(const std::filesystem::path& file);

// The status a finished export ends the command with: 0 repaired, 2 partial, 1 failed.
int exitStatus(RepairOutcomeState state);

}  // namespace tidewell::cli
