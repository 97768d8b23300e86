#pragma once

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace tidewell::cli {

// The exit status of a command line that could not be understood.
inline constexpr int usageStatus = 64;

// A command line the command cannot act on; what() names the problem.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The words after a command's name, sorted into operands, flags and valued options.
struct CommandArguments {
    std::vector<std::string> operands;
    std::set<std::string> flags;
    std::map<std::string, std::string> values;              // the last value of each option
    std::map<std::string, std::vector<std::string>> lists;  // every value of each option, in order

    bool has(const std::string& flag) const { return flags.contains(flag); }
    std::optional<std::string> value(const std::string& option) const;
    // The option's value; a UsageError when it was not given.
    std::string requiredValue(const std::string& option) const;
    // Every value the option was given (it may be repeated); empty when it was not given.
    std::vector<std::string> allValues(const std::string& option) const;
};

// "--json" and "--help" are accepted by every command on top of `flags`.
// Options take their value from the next word or after "="; "--" ends the
// options. Unknown options and options without their value are usage errors.
CommandArguments parseCommandArguments(const std::vector<std::string>& words, const std::set<std::string>& flags,
                                       const std::set<std::string>& valuedOptions);

// "tidewell: <message>" and the usage line on standard error; returns usageStatus.
int reportUsageError(const std::string& message, const std::string& usageLine);

}  // namespace tidewell::cli
