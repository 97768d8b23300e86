#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "firstaid/file_repair_diagnostic.h"

namespace tidewell::testing {

// A finding without its id, for comparing whole diagnoses with expected text.
struct FindingLine {
    std::string title;
    std::string detail;
    RepairFindingLevel level;
    bool operator==(const FindingLine&) const = default;
    friend std::ostream& operator<<(std::ostream& out, const FindingLine& line) {
        return out << "{" << line.title << " | " << line.detail << " | " << rawValue(line.level) << "}";
    }
};

inline std::vector<FindingLine> findingLines(const FileRepairDiagnostic& diagnostic) {
    std::vector<FindingLine> lines;
    for (const auto& finding : diagnostic.findings) lines.push_back({finding.title, finding.detail, finding.level});
    return lines;
}

inline std::vector<std::string> previewLines(const FileRepairDiagnostic& diagnostic) {
    std::vector<std::string> lines;
    for (const auto& item : diagnostic.previewItems) {
        lines.push_back(item.title + " | " + item.detail + " | " + item.systemImage);
    }
    return lines;
}

}  // namespace tidewell::testing
