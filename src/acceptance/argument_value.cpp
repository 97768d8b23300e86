#include "acceptance/argument_value.h"

#include <algorithm>

namespace tidewell::acceptance {

std::optional<std::string> argumentValue(const std::string& name, const std::vector<std::string>& arguments) {
    auto match = std::find(arguments.begin(), arguments.end(), name);
    if (match == arguments.end() || std::next(match) == arguments.end()) return std::nullopt;
    return *std::next(match);
}

bool hasArgument(const std::string& name, const std::vector<std::string>& arguments) {
    return std::find(arguments.begin(), arguments.end(), name) != arguments.end();
}

}  // namespace tidewell::acceptance
