#include <iostream>

#include "cleanup/clean_layout.h"
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

int run(const CommandArguments& arguments) {
    printListing(arguments, "items", CleanLayouts::active().scanSafeCleanup(), itemJSON, printItem,
                 "No installers, old logs or old caches to clean up.");
    return 0;
}

}  // namespace

const Command& safeCleanupCommand() {
    static const Command command{
        .name = "safe-cleanup",
        .usageLine = "Usage: tidewell safe-cleanup [--json]",
        .summary = "list installers, old logs and old caches the safe cleanup would offer",
        .details = "Reads only; nothing is moved.\n",
        .flags = {},
        .valuedOptions = {},
        .run = run,
    };
    return command;
}

}  // namespace tidewell::cli
