#include <iostream>

#include "cleanup/clean_layout.h"
#include "cli/command_output.h"
#include "cli/headless_commands.h"

namespace tidewell::cli {

namespace {

nlohmann::json launchAgentJSON(const LaunchAgentInfo& agent) {
    return {{"id", agent.id},
            {"label", agent.label},
            {"path", agent.path},
            {"program", agent.program},
            {"keepAlive", agent.keepAlive},
            {"runAtLoad", agent.runAtLoad},
            {"requiresAdmin", agent.requiresAdmin},
            {"helperPath", agent.helperPath ? nlohmann::json(*agent.helperPath) : nlohmann::json(nullptr)}};
}

nlohmann::json appJSON(const AppInfo& app) {
    nlohmann::json agents = nlohmann::json::array();
    for (const LaunchAgentInfo& agent : app.launchAgents) agents.push_back(launchAgentJSON(agent));
    nlohmann::json candidates = nlohmann::json::array();
    for (const CleanupCandidate& candidate : app.cleanupCandidates) candidates.push_back(candidateJSON(candidate));
    const UsageSummary usage = app.usageSummary();
    return {{"id", app.id},
            {"name", app.name},
            {"bundleIdentifier", app.bundleIdentifier},
            {"origin", app.origin},
            {"version", app.version},
            {"path", app.path},
            {"sizeBytes", app.sizeBytes},
            {"relatedBytes", app.relatedBytes},
            {"cacheBytes", app.cacheBytes},
            {"supportBytes", app.supportBytes},
            {"preferenceBytes", app.preferenceBytes},
            {"savedStateBytes", app.savedStateBytes},
            {"logBytes", app.logBytes},
            {"installerBytes", app.installerBytes},
            {"installerCount", app.installerCount},
            {"memoryBytes", app.memoryBytes},
            {"totalDiskBytes", app.totalDiskBytes()},
            {"lastUsedDate", dateJSON(app.lastUsedDate)},
            {"installedDate", dateJSON(app.installedDate)},
            {"isRunning", app.isRunning},
            {"isProtected", app.isProtected},
            {"statusText", app.statusText()},
            {"usageSummary", {{"level", rawValue(usage.level)}, {"reason", usage.reason}}},
            {"launchAgents", agents},
            {"cleanupCandidates", candidates}};
}

void printApp(const AppInfo& app) {
    std::cout << app.name << "  " << app.version << "  " << app.bundleIdentifier
              << (app.origin.empty() ? "" : "  (" + app.origin + ")") << "\n  " << app.path
              << "\n  Size: " << app.sizeText() << "  Related: " << app.relatedText()
              << "  Total: " << app.totalDiskText() << "\n  Usage: " << rawValue(app.usageSummary().level)
              << "  Status: " << app.statusText() << "\n";
    for (const CleanupCandidate& candidate : app.cleanupCandidates) std::cout << candidateLine(candidate) << "\n";
}

int run(const CommandArguments& arguments) {
    printListing(arguments, "apps", CleanLayouts::active().scanApps(arguments.has("--related")), appJSON, printApp,
                 "No apps found.", "\n");
    return 0;
}

}  // namespace

const Command& appsCommand() {
    static const Command command{
        .name = "apps",
        .usageLine = "Usage: tidewell apps [--related] [--json]",
        .summary = "list the installed apps with sizes, usage and what an uninstall would move",
        .details =
            "Reads only; nothing is moved.\n"
            "  --related    also measure related files, installers and startup items in the\n"
            "               user's Library, Downloads and launch folders\n",
        .flags = {"--related"},
        .valuedOptions = {},
        .run = run,
    };
    return command;
}

}  // namespace tidewell::cli
