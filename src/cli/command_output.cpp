#include "cli/command_output.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "cleanup/cleanup_report_coding.h"
#include "util/date_codings.h"

namespace tidewell::cli {

namespace fs = std::filesystem;

void printJSON(const nlohmann::json& document) {
    std::cout << prettyJSON(document) << "\n" << std::flush;
}

fs::path outputFolder(const CommandArguments& arguments) {
    const fs::path folder = arguments.requiredValue("--output");
    std::error_code error;
    if (!fs::is_directory(folder, error)) throw UsageError("--output " + folder.string() + " is not a folder");
    return fs::absolute(folder);
}

void reportFileError(const fs::path& file, const std::string& message) {
    std::cout << std::flush;
    std::cerr << "tidewell: " << file.string() << ": " << message << "\n" << std::flush;
}

nlohmann::json fileErrorJSON(const std::string& source, const std::string& message) {
    reportFileError(source, message);
    return {{"sourceURL", source}, {"message", message}};
}

nlohmann::json dateJSON(const std::optional<std::chrono::system_clock::time_point>& date) {
    return date ? nlohmann::json(iso8601String(*date)) : nlohmann::json(nullptr);
}

nlohmann::json candidateJSON(const CleanupCandidate& candidate) {
    return {{"id", candidate.id},
            {"kind", rawValue(candidate.kind)},
            {"label", candidate.label},
            {"path", candidate.path},
            {"sizeBytes", candidate.sizeBytes},
            {"safetyLevel", rawValue(candidate.safetyLevel)},
            {"evidence", candidate.evidence},
            {"defaultSelected", candidate.defaultSelected},
            {"isSelectable", candidate.isSelectable},
            {"note", candidate.note},
            {"route", rawValue(candidate.route)}};
}

std::string candidateLine(const CleanupCandidate& candidate) {
    return "    [" + rawValue(candidate.safetyLevel) + "] " + rawValue(candidate.kind) + "  " + candidate.sizeText() +
           "  " + candidate.path + (candidate.evidence.empty() ? "" : "  (" + candidate.evidence + ")") +
           (candidate.route == RemovalRoute::trash ? "" : "  " + rawValue(candidate.route));
}

nlohmann::json outcomeJSON(const fs::path& source, const FileRepairOutcome& outcome) {
    return {
        {"sourceURL", source.string()},
        {"outputURL", outcome.outputURL.string()},
        {"state", rawValue(outcome.state)},
        {"message", outcome.message},
        {"warnings", outcome.warnings},
        {"report", outcome.report},
        {"exportKind", outcome.exportKind == RepairExportKind::repairedCopy ? "repairedCopy" : "extractedContents"}};
}

void printOutcome(const fs::path& source, const FileRepairOutcome& outcome, bool withReport) {
    std::cout << source.string() << "\n  State: " << rawValue(outcome.state) << "\n  " << outcome.message
              << "\n  Output: " << outcome.outputURL.string() << "\n";
    for (const std::string& warning : outcome.warnings) std::cout << "  Warning: " << warning << "\n";
    if (withReport) std::cout << "\n" << outcome.report << (outcome.report.ends_with('\n') ? "" : "\n");
}

FileFirstAidEngine::RepairProgress progressPrinter(const fs::path& file) {
    return [file](RepairProgressStage stage, double fraction, const std::string& status) {
        const long percent = std::lround(std::clamp(fraction, 0.0, 1.0) * 100);
        std::cerr << "tidewell: " << file.string() << ": " << rawValue(stage) << " " << percent << "% " << status
                  << "\n"
                  << std::flush;
    };
}

int exitStatus(RepairOutcomeState state) {
    switch (state) {
        case RepairOutcomeState::repaired:
            return 0;
        case RepairOutcomeState::partial:
            return 2;
        case RepairOutcomeState::failed:
            return 1;
    }
    return 1;
}

}  // namespace tidewell::cli
