#include "cli/headless_commands.h"

#include <algorithm>
#include <iostream>

#include "platform/layout_kind.h"

namespace tidewell::cli {

namespace {

constexpr const char* topUsageLine = "Usage: tidewell <command> [options] (tidewell --help lists the commands)";

void printHelp(const Command& command) {
    std::cout << command.usageLine << "\n" << command.summary << "\n\n" << command.details;
    std::cout << "  --json       one JSON document on standard output\n"
                 "  --help       show this text\n";
}

int runCommand(const Command& command, const std::vector<std::string>& words) {
    try {
        const CommandArguments arguments = parseCommandArguments(words, command.flags, command.valuedOptions);
        if (arguments.has("--help")) {
            printHelp(command);
            return 0;
        }
        if (!command.takesOperands && !arguments.operands.empty())
            throw UsageError("unexpected argument " + arguments.operands.front());
        return command.run(arguments);
    } catch (const UsageError& error) {
        return reportUsageError(error.what(), command.usageLine);
    } catch (const platform::UnknownLayoutError& error) {
        std::cerr << "tidewell: " << error.what() << "\n";
        return 64;
    }
}

}  // namespace

const std::vector<const Command*>& commands() {
    static const std::vector<const Command*> all{&diagnoseCommand(),    &repairCommand(),    &extractCommand(),
                                                 &appsCommand(),        &uninstallCommand(), &leftoversCommand(),
                                                 &safeCleanupCommand(), &volumesCommand(),   &undeleteCommand(),
                                                 &imageCommand(),       &rescueCommand()};
    return all;
}

std::string commandListText() {
    std::string text = "Commands (each takes --json and --help; tidewell <command> --help for details):\n";
    for (const Command* command : commands()) {
        std::string name = "  " + command->name;
        name.resize(std::max<std::size_t>(name.size() + 1, 16), ' ');
        text += name + command->summary + "\n";
    }
    return text;
}

std::optional<int> runCommandIfRequested(const std::vector<std::string>& arguments) {
    if (arguments.size() < 2 || arguments[1].empty() || arguments[1][0] == '-') return std::nullopt;
    const std::vector<std::string> words(arguments.begin() + 2, arguments.end());
    for (const Command* command : commands()) {
        if (command->name == arguments[1]) return runCommand(*command, words);
    }
    return reportUsageError("'" + arguments[1] + "' is not a tidewell command", topUsageLine);
}

}  // namespace tidewell::cli
