#include <iostream>

#include "cleanup/clean_layout.h"
#include "cleanup/removal_plan.h"
#include "cli/cleanup_run_output.h"
#include "cli/command_output.h"
#include "cli/headless_commands.h"

namespace tidewell::cli {

namespace {

nlohmann::json itemJSON(const SafeCleanupItem& item) {
    return {{"id", item.id},     {"category", rawValue(item.category)}, {"name", item.name},
            {"path", item.path}, {"sizeBytes", item.sizeBytes},         {"note", item.note}};
}

void printItem(const SafeCleanupItem& item) {
    std::cout << "[" << rawValue(item.category) << "] " << item.name << "  " << item.sizeText() << "  " << item.path
              << (item.note.empty() ? "" : "  (" + item.note + ")") << "\n";
}

// Everything the page offers is checked there by default: all of it moves.
int moveAll(const CommandArguments& arguments) {
    const CleanLayout& layout = CleanLayouts::active();
    const std::optional<CleanupBatch> batch =
        moveSafeCleanupItemsToTrash(layout.scanSafeCleanup(), layout.removalSteps(), statusPrinter());
    const std::string summary = !batch || batch->moved.empty()
                                    ? "No safe cleanup items were moved."
                                    : "Moved " + std::to_string(batch->moved.size()) + " safe cleanup items to Trash.";
    return finishTrashBatch(arguments, "Safe Cleanup", batch, summary, "No safe cleanup items can be moved to Trash.");
}

int run(const CommandArguments& arguments) {
    if (arguments.has("--yes")) return moveAll(arguments);
    printListing(arguments, "items", CleanLayouts::active().scanSafeCleanup(), itemJSON, printItem,
                 "No installers, old logs or old caches to clean up.");
    return 0;
}

}  // namespace

const Command& safeCleanupCommand() {
    static const Command command{
        .name = "safe-cleanup",
        .usageLine = "Usage: tidewell safe-cleanup [--yes] [--json]",
        .summary = "list installers, old logs and old caches the safe cleanup would offer",
        .details =
            "Reads only, unless --yes is given.\n"
            "  --yes        move every listed item to the Trash and print the report\n"
            "               (status 0 all moved, 2 some failed, 1 nothing moved)\n",
        .flags = {"--yes"},
        .valuedOptions = {},
        .run = run,
    };
    return command;
}

}  // namespace tidewell::cli
