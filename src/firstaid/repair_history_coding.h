#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "firstaid/repair_history_record.h"

namespace tidewell {

// One JSON array of records with the keys "id", "sourceName", "outputName",
// "outputBookmark" (Base64, left out when there is none), "kindRawValue",
// "stateRawValue", "sourceSizeBytes", "outputSizeBytes", "completedAt"
// (seconds since 2001-01-01) and "message".
std::string encodeRepairHistory(const std::vector<RepairHistoryRecord>& records);

// The records in file order; none when the text is not such an array or any
// record lacks a key or holds a value of the wrong form.
std::optional<std::vector<RepairHistoryRecord>> decodeRepairHistory(std::string_view json);

}  // namespace tidewell
