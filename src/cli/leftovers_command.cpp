#include <iostream>

#include "cleanup/clean_layout.h"
#include "cli/command_output.h"
#include "cli/headless_commands.h"

namespace tidewell::cli {

namespace {

nlohmann::json groupJSON(const LeftoverGroup& group) {
    nlohmann::json candidates = nlohmann::json::array();
    for (const CleanupCandidate& candidate : group.candidates) candidates.push_back(candidateJSON(candidate));
    return {{"id", group.id},
            {"name", group.name},
            {"matchToken", group.matchToken},
            {"totalBytes", group.totalBytes()},
            {"riskText", group.riskText()},
            {"ownerText", group.ownerText()},
            {"sourceDetailText", group.sourceDetailText()},
            {"removalAdviceText", group.removalAdviceText()},
            {"candidates", candidates}};
}

void printGroup(const LeftoverGroup& group) {
    std::cout << group.name << "  " << group.totalText() << "  " << group.itemCountText()
              << "\n  Risk: " << group.riskText() << "\n  Owner: " << group.ownerText() << "\n";
    for (const CleanupCandidate& candidate : group.candidates) std::cout << candidateLine(candidate) << "\n";
}

int run(const CommandArguments& arguments) {
    printListing(arguments, "leftovers", CleanLayouts::active().scanAll().leftovers, groupJSON, printGroup,
                 "No leftovers of removed apps found.", "\n");
    return 0;
}

}  // namespace

const Command& leftoversCommand() {
    static const Command command{
        .name = "leftovers",
        .usageLine = "Usage: tidewell leftovers [--json]",
        .summary = "list what removed apps left in the user's Library",
        .details = "Groups per app with risk and owner; reads only, nothing is moved.\n",
        .flags = {},
        .valuedOptions = {},
        .run = run,
    };
    return command;
}

}  // namespace tidewell::cli
