#pragma once

#include <chrono>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

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
// Reports like reportFileError and returns the entry for the document's "errors" list.
nlohmann::json fileErrorJSON(const std::string& source, const std::string& message);

// ISO 8601 UTC text, or null.
nlohmann::json dateJSON(const std::optional<std::chrono::system_clock::time_point>& date);

// With --json the document {key: [toJSON(item), ...]}; otherwise printItem for
// each item with `between` printed between two of them, or the one line `emptyLine`
// when there is none.
template <typename Item, typename ToJSON, typename PrintItem>
void printListing(const CommandArguments& arguments, const std::string& key, const std::vector<Item>& items,
                  ToJSON toJSON, PrintItem printItem, const char* emptyLine, const char* between = "") {
    if (arguments.has("--json")) {
        nlohmann::json list = nlohmann::json::array();
        for (const Item& item : items) list.push_back(toJSON(item));
        printJSON({{key, list}});
        return;
    }
    if (items.empty()) std::cout << emptyLine << "\n";
    for (std::size_t index = 0; index < items.size(); ++index) {
        if (index > 0) std::cout << between;
        printItem(items[index]);
    }
}

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
