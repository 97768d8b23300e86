#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cleanup/app_info.h"
#include "cleanup/cleanup_report.h"

namespace tidewell::DiagnosticExporter {

namespace Limits {
inline constexpr std::size_t leaders = 10;         // apps in each leader list
inline constexpr std::size_t cleanupReports = 20;  // newest reports included
}  // namespace Limits

// One app as the support snapshot shows it.
struct AppSummary {
    std::string name;
    std::string bundleIdentifier;
    std::int64_t diskBytes = 0;  // the app's total disk use
    std::int64_t memoryBytes = 0;
    bool isProtected = false;
    std::int64_t launchAgentCount = 0;

    bool operator==(const AppSummary&) const = default;
};

// The snapshot written for support: counts, the largest users, recent reports.
struct DiagnosticReport {
    std::chrono::system_clock::time_point generatedAt;
    std::int64_t appCount = 0;
    std::int64_t protectedCount = 0;
    std::int64_t runningCount = 0;
    std::int64_t launchAgentMatches = 0;
    std::vector<AppSummary> diskLeaders;
    std::vector<AppSummary> memoryLeaders;
    std::vector<CleanupReport> cleanupReports;
};

DiagnosticReport makeReport(const std::vector<AppInfo>& apps, const std::vector<CleanupReport>& reports,
                            std::chrono::system_clock::time_point now);
// The JSON text of the export: pretty-printed, keys sorted, ISO 8601 dates.
std::string encodedReport(const DiagnosticReport& report);

// <application data folder>/Diagnostics
std::filesystem::path diagnosticsFolder();
// "diagnostic-2026-12-04T11-30-00Z.json": the ISO 8601 time with ":" as "-".
std::string fileName(std::chrono::system_clock::time_point now);

// Writes the snapshot atomically (replacing one of the same name) and returns
// its path. Throws the folder-creation or writing error.
std::filesystem::path exportReport(const std::vector<AppInfo>& apps, const std::vector<CleanupReport>& reports,
                                   std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

}  // namespace tidewell::DiagnosticExporter
