#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "cli/command_arguments.h"

namespace tidewell::cli {

// One subcommand of the executable.
struct Command {
    std::string name;
    std::string usageLine;  // "Usage: tidewell <name> ..."
    std::string summary;    // one line for the command list
    std::string details;    // the rest of its --help text
    std::set<std::string> flags;
    std::set<std::string> valuedOptions;
    int (*run)(const CommandArguments& arguments);
    // When false, any operand is a usage error reported before `run` is called.
    bool takesOperands = false;
};

const Command& diagnoseCommand();
const Command& repairCommand();
const Command& extractCommand();
const Command& appsCommand();
const Command& uninstallCommand();
const Command& leftoversCommand();
const Command& safeCleanupCommand();
const Command& volumesCommand();
const Command& undeleteCommand();
const Command& rescueCommand();
const Command& imageCommand();

// The commands in the order the help lists them.
const std::vector<const Command*>& commands();

// The "Commands:" block of the executable's help text.
std::string commandListText();

// Runs the command named by the first argument after the program name; none
// when that argument is absent or is an option (the application starts then).
// An unknown command name is a usage error.
std::optional<int> runCommandIfRequested(const std::vector<std::string>& arguments);

}  // namespace tidewell::cli
