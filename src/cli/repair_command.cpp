#include <exception>
#include <iostream>

#include "cli/command_output.h"
#include "cli/headless_commands.h"
#include "firstaid/file_first_aid_engine.h"
#include "firstaid/repair_export.h"

namespace tidewell::cli {

namespace {

namespace fs = std::filesystem;

// 0 repaired, 2 partial, 1 failed: the worst of the files decides.
int worse(int status, int next) {
    if (status == 1 || next == 1) return 1;
    return std::max(status, next);
}

int run(const CommandArguments& arguments) {
    if (arguments.operands.empty()) throw UsageError("no file given");
    const fs::path folder = outputFolder(arguments);
    const bool json = arguments.has("--json");
    const std::optional<std::string> reference = arguments.value("--reference");
    nlohmann::json outcomes = nlohmann::json::array();
    nlohmann::json errors = nlohmann::json::array();
    int status = 0;
    for (const std::string& operand : arguments.operands) {
        try {
            const FileRepairDiagnostic diagnostic = FileFirstAidEngine::diagnose(fs::path(operand));
            // The recommended action of an unrepairable file says why (an unsafe entry, a missing tool...).
            if (!diagnostic.canAttemptRepair && !reference)
                throw std::runtime_error("no repaired copy can be made of this file: " + diagnostic.recommendedAction);
            const fs::path output = FileFirstAidEngine::uniqueOutputURL(diagnostic, folder);
            const FileRepairOutcome outcome =
                reference ? FileFirstAidEngine::repairWithReference(diagnostic, fs::path(*reference), output, nullptr,
                                                                    progressPrinter(operand))
                          : FileFirstAidEngine::repair(diagnostic, output, nullptr, progressPrinter(operand));
            status = worse(status, exitStatus(outcome.state));
            if (json) {
                outcomes.push_back(outcomeJSON(operand, outcome));
            } else {
                printOutcome(operand, outcome, arguments.has("--report"));
            }
        } catch (const std::exception& error) {
            errors.push_back(fileErrorJSON(operand, error.what()));
            status = 1;
        }
    }
    if (json) printJSON({{"outcomes", outcomes}, {"errors", errors}});
    return status;
}

}  // namespace

const Command& repairCommand() {
    static const Command command{
        .name = "repair",
        .usageLine = "Usage: tidewell repair [--report] [--json] [--reference CLIP] --output FOLDER FILE...",
        .summary = "write validated repaired copies of damaged files into a folder",
        .details =
            "Sources are only read; each copy gets a new name in FOLDER and is checked before it\n"
            "counts as repaired. Progress goes to standard error, and so does the reason a file\n"
            "is refused (the diagnosis's recommended action, e.g. an unsafe archive entry).\n"
            "  --output FOLDER  an existing folder for the copies (may be the sources' folder)\n"
            "  --report         also print the plain-text report of each export\n"
            "  --reference CLIP rebuild MP4/MOV/M4V recordings whose movie index is missing (cut-off\n"
            "                   recordings) from a healthy clip recorded by the same camera\n"
            "Statuses: 0 all repaired, 2 some only partly, 1 a file failed, 64 usage error.\n",
        .flags = {"--report"},
        .valuedOptions = {"--output", "--reference"},
        .run = run,
        .takesOperands = true,
    };
    return command;
}

}  // namespace tidewell::cli
