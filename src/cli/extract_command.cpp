#include <exception>
#include <iostream>

#include "cli/command_output.h"
#include "cli/headless_commands.h"
#include "firstaid/content_extraction.h"
#include "firstaid/file_first_aid_engine.h"

namespace tidewell::cli {

namespace {

namespace fs = std::filesystem;

int run(const CommandArguments& arguments) {
    if (arguments.operands.size() != 1) throw UsageError("give exactly one file");
    const fs::path folder = outputFolder(arguments);
    const std::string& source = arguments.operands.front();
    try {
        const FileRepairDiagnostic diagnostic = FileFirstAidEngine::diagnose(fs::path(source));
        if (auto refusal = FileFirstAidEngine::extractionRefusal(diagnostic))
            throw std::runtime_error(std::string("no contents can be extracted from this file: ") + refusal->what());
        const FileRepairOutcome outcome =
            FileFirstAidEngine::extractReadableContents(diagnostic, folder, nullptr, progressPrinter(source));
        if (arguments.has("--json")) {
            printJSON({{"outcomes", {outcomeJSON(source, outcome)}}, {"errors", nlohmann::json::array()}});
        } else {
            printOutcome(source, outcome, arguments.has("--report"));
        }
        // Every extraction is "partial" by nature (a folder of pieces, not a
        // working file); a folder made is a success for scripts.
        return 0;
    } catch (const std::exception& failure) {
        const nlohmann::json error = fileErrorJSON(source, failure.what());
        if (arguments.has("--json")) printJSON({{"outcomes", nlohmann::json::array()}, {"errors", {error}}});
        return 1;
    }
}

}  // namespace

const Command& extractCommand() {
    static const Command command{
        .name = "extract",
        .usageLine = "Usage: tidewell extract [--report] [--json] --output FOLDER FILE",
        .summary = "copy the readable contents of a damaged archive or document into a new folder",
        .details =
            "The new folder is made inside FOLDER; the source is only read. Only ZIP, APK and\n"
            "Office packages are extracted; a refusal or failure says why on standard error.\n"
            "  --output FOLDER  an existing folder to make the new folder in\n"
            "  --report         also print the plain-text report\n"
            "Statuses: 0 a folder of readable contents was made, 1 failed, 64 usage error.\n",
        .flags = {"--report"},
        .valuedOptions = {"--output"},
        .run = run,
        .takesOperands = true,
    };
    return command;
}

}  // namespace tidewell::cli
