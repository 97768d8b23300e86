#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "cleanup/cleanup_batch.h"
#include "cleanup/removal_plan.h"
#include "cli/command_arguments.h"

// What the commands that move things print and keep once the work is done.
namespace tidewell::cli {

// 0 when everything was done, 2 when some items failed, 1 when nothing was done.
int batchStatus(const CleanupBatch& batch);

// {"summary", "done", "failed", "recoveredBytes", "status"} of a finished batch.
nlohmann::json batchJSON(const CleanupBatch& batch, const std::string& summary);

// The summary, each failure on a line of its own, and what the Trash now holds.
void printBatch(const CleanupBatch& batch, const std::string& summary);

// Keeps the batch in the cleanup history the History page shows, as the pages do.
void recordReport(const std::string& name, const CleanupBatch& batch);

// Prints each step as "tidewell: <step>" on standard error.
RemovalStatus statusPrinter();

// The moves of a plain batch (safe cleanup, leftovers): the JSON document or the lines,
// the report kept, and the batch's status; 1 with `nothingLine` when nothing was accepted.
int finishTrashBatch(const CommandArguments& arguments, const std::string& reportName,
                     const std::optional<CleanupBatch>& batch, const std::string& summary,
                     const std::string& nothingLine);

}  // namespace tidewell::cli
