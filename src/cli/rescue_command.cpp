#include <exception>
#include <iostream>

#include "cli/command_output.h"
#include "cli/headless_commands.h"
#include "cli/recovery_output.h"
#include "recovery/readable/external_recovery_engine.h"

namespace tidewell::cli {

namespace {

namespace fs = std::filesystem;

// The readable engine writes its report under this name beside the copies.
constexpr const char* readableReportFileName = "Tidewell-Recovery-Report.txt";

int run(const CommandArguments& arguments) {
    if (arguments.operands.size() != 1) throw UsageError("give exactly one folder");
    const fs::path destination = outputFolder(arguments);
    const fs::path operand = arguments.operands.front();
    try {
        const ExternalRecoveryVolume volume = ExternalRecoveryEngine::manuallySelectedVolume(operand);
        const ProgressCallback progress = recoveryProgressPrinter(volume.name);
        auto [candidates, report] = ExternalRecoveryEngine::scan(volume, nullptr, progress);
        const NewFolderWatch watch(destination);
        const auto written =
            ExternalRecoveryEngine::exportCandidates(candidates, volume, destination, nullptr, progress);
        const auto folder = watch.added();
        const auto reportURL = folder ? std::optional(*folder / readableReportFileName) : std::nullopt;
        if (arguments.has("--json")) {
            nlohmann::json files = nlohmann::json::array();
            for (const fs::path& file : written) files.push_back(file.string());
            printJSON({{"source", volume.name},
                       {"filesVisited", report.filesVisited},
                       {"candidatesFound", report.candidatesFound},
                       {"skippedItems", report.skippedItems},
                       {"exported", files},
                       {"exportFolder", folder ? nlohmann::json(folder->string()) : nullptr},
                       {"reportURL", reportURL ? nlohmann::json(reportURL->string()) : nullptr},
                       {"errors", nlohmann::json::array()}});
        } else {
            std::cout << "Copied " << written.size() << " of " << candidates.size() << " readable files"
                      << (folder ? " to " + folder->string() : std::string()) << "\n";
            if (reportURL) std::cout << "Report: " << reportURL->string() << "\n";
        }
        // A folder without readable files has nothing to copy, which is no failure.
        return candidates.empty() ? 0 : exportStatus(written.size(), candidates.size());
    } catch (const std::exception& failure) {
        const nlohmann::json error = fileErrorJSON(operand.string(), failure.what());
        if (arguments.has("--json")) printJSON({{"exported", nlohmann::json::array()}, {"errors", {error}}});
        return 1;
    }
}

}  // namespace

const Command& rescueCommand() {
    static const Command command{
        .name = "rescue",
        .usageLine = "Usage: tidewell rescue [--json] --output FOLDER SOURCE",
        .summary = "copy the readable files of a drive or folder into a new folder, with a report",
        .details =
            "SOURCE is a mounted drive or any folder; it is only read.\n"
            "  --output FOLDER  an existing folder, not on SOURCE, to make the new folder in\n"
            "Progress goes to standard error.\n"
            "Statuses: 0 every readable file copied, 2 some, 1 none or an error, 64 usage error.\n",
        .flags = {},
        .valuedOptions = {"--output"},
        .run = run,
        .takesOperands = true,
    };
    return command;
}

}  // namespace tidewell::cli
