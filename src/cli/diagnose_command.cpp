#include <exception>
#include <iostream>

#include "cli/command_output.h"
#include "cli/headless_commands.h"
#include "firstaid/file_first_aid_engine.h"
#include "util/byte_size_text.h"

namespace tidewell::cli {

namespace {

namespace fs = std::filesystem;

nlohmann::json diagnosticJSON(const FileRepairDiagnostic& diagnostic) {
    nlohmann::json findings = nlohmann::json::array();
    for (const RepairFinding& finding : diagnostic.findings) {
        findings.push_back({{"level", rawValue(finding.level)}, {"title", finding.title}, {"detail", finding.detail}});
    }
    nlohmann::json preview = nlohmann::json::array();
    for (const RepairPreviewItem& item : diagnostic.previewItems) {
        preview.push_back({{"title", item.title}, {"detail", item.detail}, {"symbol", item.systemImage}});
    }
    return {{"sourceURL", diagnostic.sourceURL.string()},
            {"kind", rawValue(diagnostic.kind)},
            {"sizeBytes", diagnostic.sizeBytes},
            {"findings", findings},
            {"canAttemptRepair", diagnostic.canAttemptRepair},
            {"canExtractReadableContent", diagnostic.canExtractReadableContent},
            {"recommendedAction", diagnostic.recommendedAction},
            {"toolNotes", diagnostic.toolNotes},
            {"previewItems", preview}};
}

std::string yesNo(bool value) {
    return value ? "yes" : "no";
}

void printDiagnostic(const FileRepairDiagnostic& diagnostic) {
    std::cout << diagnostic.sourceURL.string() << "\n  Kind: " << label(diagnostic.kind)
              << "\n  Size: " << tidewellString(diagnostic.sizeBytes) << "\n";
    for (const RepairFinding& finding : diagnostic.findings) {
        std::cout << "  [" << label(finding.level) << "] " << finding.title << ": " << finding.detail << "\n";
    }
    std::cout << "  Repaired copy possible: " << yesNo(diagnostic.canAttemptRepair)
              << "\n  Content extraction possible: " << yesNo(diagnostic.canExtractReadableContent)
              << "\n  Recommended: " << diagnostic.recommendedAction << "\n";
    if (!diagnostic.previewItems.empty()) std::cout << "  Preview:\n";
    for (const RepairPreviewItem& item : diagnostic.previewItems) {
        std::cout << "    " << item.title << ": " << item.detail << "\n";
    }
    for (const std::string& note : diagnostic.toolNotes) std::cout << "  Tool: " << note << "\n";
}

int run(const CommandArguments& arguments) {
    if (arguments.operands.empty()) throw UsageError("no file given");
    const bool json = arguments.has("--json");
    nlohmann::json diagnoses = nlohmann::json::array();
    nlohmann::json errors = nlohmann::json::array();
    bool first = true;
    for (const std::string& operand : arguments.operands) {
        try {
            const FileRepairDiagnostic diagnostic = FileFirstAidEngine::diagnose(fs::path(operand));
            if (json) {
                diagnoses.push_back(diagnosticJSON(diagnostic));
                continue;
            }
            if (!first) std::cout << "\n";
            first = false;
            printDiagnostic(diagnostic);
        } catch (const std::exception& error) {
            errors.push_back(fileErrorJSON(operand, error.what()));
        }
    }
    if (json) printJSON({{"diagnostics", diagnoses}, {"errors", errors}});
    return errors.empty() ? 0 : 1;
}

}  // namespace

const Command& diagnoseCommand() {
    static const Command command{
        .name = "diagnose",
        .usageLine = "Usage: tidewell diagnose [--json] FILE...",
        .summary = "inspect damaged files without changing them",
        .details =
            "Prints, per file, its kind, size, findings, whether a repaired copy and a content\n"
            "extraction are possible, the recommended action, a preview of what was found (the\n"
            "package and its first entries, pages, atoms or image; JSON \"previewItems\" with\n"
            "\"title\", \"detail\" and \"symbol\") and the tool notes, in the diagnosis's order.\n"
            "Statuses: 0 every file diagnosed, 1 a file could not be diagnosed, 64 usage error.\n\n",
        .flags = {},
        .valuedOptions = {},
        .run = run,
        .takesOperands = true,
    };
    return command;
}

}  // namespace tidewell::cli
