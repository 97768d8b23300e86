#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace tidewell::FATDeletedRecoveryEngine {

inline constexpr const char* exportReportFileName = "Tidewell-Deleted-Recovery-Report.txt";

// The texts that tell one file system's export apart from another's.
struct ExportTexts {
    std::string reportTitle;  // first line of the report
    std::string method;       // the "Method: ..." paragraph
    std::string skipReason;   // after "Skipped <name>" for a run that is not wholly free
};

const ExportTexts& fat32ExportTexts();
const ExportTexts& exfatExportTexts();

// The plain-text report written beside the recovered files; no final line feed.
// Notes, when there are any, form a paragraph of their own before the warnings.
std::string exportReportText(const ExportTexts& texts, const std::string& sourceName, std::size_t recoveredCount,
                             std::chrono::system_clock::time_point date, const std::vector<std::string>& warnings,
                             const std::vector<std::string>& notes = {});

}  // namespace tidewell::FATDeletedRecoveryEngine
