#pragma once

#include <optional>

#include <nlohmann/json.hpp>

#include "cleanup/cleanup_report.h"

namespace tidewell {

// How a report's date is written: the history file keeps seconds since
// 2001-01-01 UTC; the diagnostic export writes ISO 8601 text.
enum class ReportDateEncoding { secondsSinceReferenceDate, iso8601 };

nlohmann::json encodeCleanupReport(const CleanupReport& report, ReportDateEncoding dates);
// None unless all six keys are present with the right types, the id is
// canonical UUID text and the date is in the given encoding.
std::optional<CleanupReport> decodeCleanupReport(const nlohmann::json& object, ReportDateEncoding dates);

// Pretty-printed, keys sorted; text that is not valid UTF-8 (file names on
// Linux need not be) is written with U+FFFD in place of the bad bytes.
std::string prettyJSON(const nlohmann::json& value);

}  // namespace tidewell
