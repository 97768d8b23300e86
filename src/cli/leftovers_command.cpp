#include <algorithm>
#include <iostream>

#include "cleanup/clean_layout.h"
#include "cleanup/removal_plan.h"
#include "cli/cleanup_run_output.h"
#include "cli/command_output.h"
#include "cli/headless_commands.h"
#include "util/unicode_text.h"

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

bool isNamed(const LeftoverGroup& group, const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return compareIgnoringCase(group.name, name) == 0 || group.id == name;
    });
}

// What the page checks by default in each group (or in the named ones) moves; the groups
// are one batch and one report.
int moveDefaults(const CommandArguments& arguments) {
    const CleanLayout& layout = CleanLayouts::active();
    const std::vector<LeftoverGroup> groups = layout.scanAll().leftovers;
    const std::vector<std::string> names = arguments.allValues("--group");
    for (const std::string& name : names)
        if (std::none_of(groups.begin(), groups.end(),
                         [&](const LeftoverGroup& group) { return isNamed(group, {name}); }))
            throw UsageError("no leftover group is named " + name);
    std::optional<CleanupBatch> batch;
    std::vector<std::string> moved;
    for (const LeftoverGroup& group : groups) {
        if (!names.empty() && !isNamed(group, names)) continue;
        std::vector<CleanupCandidate> checked;
        for (const CleanupCandidate& candidate : group.candidates)
            if (candidate.defaultSelected && candidate.isSelectable) checked.push_back(candidate);
        const std::optional<CleanupBatch> groupBatch =
            moveLeftoversToTrash(group, checked, layout.removalSteps(), statusPrinter());
        if (!groupBatch) continue;
        if (!batch) batch.emplace();
        batch->moved.insert(batch->moved.end(), groupBatch->moved.begin(), groupBatch->moved.end());
        batch->failed.insert(batch->failed.end(), groupBatch->failed.begin(), groupBatch->failed.end());
        batch->recoveredBytes += groupBatch->recoveredBytes;
    }
    const std::string summary = !batch || batch->moved.empty()
                                    ? "No leftovers were moved to Trash."
                                    : joinedSentence("Moved leftovers to Trash: ", batch->moved);
    const std::string reportName = names.size() == 1 ? "Leftovers: " + names.front() : "Leftovers";
    return finishTrashBatch(arguments, reportName, batch, summary,
                            "No selected leftovers can be safely moved to Trash.");
}

int run(const CommandArguments& arguments) {
    if (arguments.has("--yes")) return moveDefaults(arguments);
    if (!arguments.allValues("--group").empty()) throw UsageError("--group needs --yes");
    printListing(arguments, "leftovers", CleanLayouts::active().scanAll().leftovers, groupJSON, printGroup,
                 "No leftovers of removed apps found.", "\n");
    return 0;
}

}  // namespace

const Command& leftoversCommand() {
    static const Command command{
        .name = "leftovers",
        .usageLine = "Usage: tidewell leftovers [--yes [--group NAME]...] [--json]",
        .summary = "list what removed apps left in the user's Library",
        .details =
            "Groups per app with risk and owner; reads only, unless --yes is given.\n"
            "  --yes        move what the Leftovers page checks by default to the Trash and\n"
            "               print the report (status 0 all moved, 2 some failed, 1 nothing moved)\n"
            "  --group NAME only this group (repeat for more)\n",
        .flags = {"--yes"},
        .valuedOptions = {"--group"},
        .run = run,
    };
    return command;
}

}  // namespace tidewell::cli
