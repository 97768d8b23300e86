#include "cli/command_arguments.h"

#include <iostream>

namespace tidewell::cli {

std::optional<std::string> CommandArguments::value(const std::string& option) const {
    if (auto found = values.find(option); found != values.end()) return found->second;
    return std::nullopt;
}

std::string CommandArguments::requiredValue(const std::string& option) const {
    if (auto given = value(option); given && !given->empty()) return *given;
    throw UsageError("missing " + option);
}

std::vector<std::string> CommandArguments::allValues(const std::string& option) const {
    if (auto found = lists.find(option); found != lists.end()) return found->second;
    return {};
}

CommandArguments parseCommandArguments(const std::vector<std::string>& words, const std::set<std::string>& flags,
                                       const std::set<std::string>& valuedOptions) {
    CommandArguments arguments;
    bool optionsEnded = false;
    for (std::size_t index = 0; index < words.size(); ++index) {
        const std::string& word = words[index];
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            arguments.operands.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = word.find('=');
        const std::string name = word.substr(0, equals);
        if (valuedOptions.contains(name)) {
            if (equals != std::string::npos) {
                arguments.values[name] = word.substr(equals + 1);
            } else if (index + 1 < words.size()) {
                arguments.values[name] = words[++index];
            } else {
                throw UsageError(name + " needs a value");
            }
            arguments.lists[name].push_back(arguments.values[name]);
        } else if (equals == std::string::npos && (flags.contains(word) || word == "--json" || word == "--help")) {
            arguments.flags.insert(word);
        } else {
            throw UsageError("unknown option " + word);
        }
    }
    return arguments;
}

int reportUsageError(const std::string& message, const std::string& usageLine) {
    std::cout << std::flush;
    std::cerr << "tidewell: " << message << "\n" << usageLine << "\n" << std::flush;
    return usageStatus;
}

}  // namespace tidewell::cli
