#include "recovery/deleted/deleted_export_report.h"

#include "util/date_codings.h"

namespace tidewell::FATDeletedRecoveryEngine {

const ExportTexts& fat32ExportTexts() {
    static const ExportTexts texts{
        .reportTitle = "Tidewell FAT32 Deleted-file Recovery Report",
        .method =
            "Method: deleted FAT32 directory entries with a currently unallocated, contiguous cluster run. The "
            "source device was opened read-only and was never modified. A recovered file can still be "
            "incomplete or overwritten; verify it before relying on it.",
        .skipReason = ": cluster reuse is uncertain.",
    };
    return texts;
}

const ExportTexts& exfatExportTexts() {
    static const ExportTexts texts{
        .reportTitle = "Tidewell exFAT Deleted-file Recovery Report",
        .method =
            "Method: deleted exFAT file entry sets with a currently unallocated, contiguous cluster run. The "
            "source device was opened read-only and was never modified. A recovered file can still be "
            "incomplete or overwritten; verify it before relying on it.",
        .skipReason = ": allocation bitmap shows possible cluster reuse.",
    };
    return texts;
}

std::string exportReportText(const ExportTexts& texts, const std::string& sourceName, std::size_t recoveredCount,
                             std::chrono::system_clock::time_point date, const std::vector<std::string>& warnings,
                             const std::vector<std::string>& notes) {
    std::string text = texts.reportTitle + "\n";
    text += "Source: " + sourceName + "\n";
    text += "Recovered: " + std::to_string(recoveredCount) + " file(s)\n";
    text += "Date: " + iso8601String(date) + "\n\n";
    text += texts.method + "\n\n";
    for (const std::string& note : notes) text += note + "\n";
    if (!notes.empty()) text += "\n";
    if (warnings.empty()) return text + "No export warnings.";
    for (std::size_t i = 0; i < warnings.size(); ++i) text += (i == 0 ? "" : "\n") + warnings[i];
    return text;
}

}  // namespace tidewell::FATDeletedRecoveryEngine
