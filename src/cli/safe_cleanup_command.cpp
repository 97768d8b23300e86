#include <iostream>

#include "cleanup/safe_cleanup_scan.h"
#include "cli/command_output.h"
#include "cli/headless_commands.h"

namespace tidewell::cli {

namespace {

nlohmann::json itemJSON(const SafeCleanupItem& item) {
    return {{"id", item.id},     {"category", rawValue(item.category)}, {"name", item.name},
            {"path", item.path}, {"sizeBytes", item.sizeBytes},         {"note", item.note}};
}

int run(const CommandArguments& arguments) {
    const std::vector<SafeCleanupItem> items = AppScanner::scanSafeCleanup();
    if (arguments.has("--json")) {
        nlohmann::json list = nlohmann::json::array();
        for (const SafeCleanupItem& item : items) list.push_back(itemJSON(item));
        printJSON({{"items", list}});
        return 0;
    }
    for (const SafeCleanupItem& item : items) {
        std::cout << "[" << rawValue(item.category) << "] " << item.name << "  " << item.sizeText() << "  " << item.path
                  << (item.note.empty() ? "" : "  (" + item.note + ")") << "\n";
    }
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
