#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <vector>

#include "firstaid/repair_history_record.h"

// Completed exports remembered across launches in one small JSON file,
// newest first. Problems never reach the user: a bad file loads as empty.
namespace tidewell::RepairHistoryStore {

inline constexpr const char* fileName = "repair-history-v2.json";
inline constexpr std::size_t maximumRecords = 80;

// The history file; none when the application-data folder cannot be made.
std::optional<std::filesystem::path> storageURL();

std::vector<RepairHistoryRecord> load();
// Writes the first maximumRecords records atomically; errors are ignored.
void save(const std::vector<RepairHistoryRecord>& records);

}  // namespace tidewell::RepairHistoryStore
