#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "cleanup/cleanup_report.h"

namespace tidewell::ReportStore {

namespace Limits {
// The history keeps this many reports, newest first.
inline constexpr std::size_t storedReports = 100;
}  // namespace Limits

// <application data folder>/cleanup-history.json
std::filesystem::path fileURL();

// The stored reports in file order; empty when the file is missing,
// unreadable or does not decode as a whole.
std::vector<CleanupReport> load();

// The reports a history file's bytes hold; empty unless every report decodes.
std::vector<CleanupReport> decodeHistory(std::string_view bytes);

// Receives the one line a failed save leaves behind.
using FailureLog = std::function<void(const std::string& line)>;
// Writes the line to the system log (syslog, which the journal collects).
void logToSystemLog(const std::string& line);

// Writes the first 100 reports atomically. Never throws: a failure leaves the
// previous file as it was and is logged as "Tidewell failed to save reports: <error>".
void save(const std::vector<CleanupReport>& reports);
void save(const std::vector<CleanupReport>& reports, const FailureLog& log);

}  // namespace tidewell::ReportStore
