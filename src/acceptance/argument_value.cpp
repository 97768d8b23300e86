#include "acceptance/argument_value.h"

#include <algorithm>
#include <charconv>
#include <string_view>

namespace tidewell::acceptance {

std::optional<std::string> argumentValue(const std::string& name, const std::vector<std::string>& arguments) {
    auto match = std::find(arguments.begin(), arguments.end(), name);
    if (match == arguments.end() || std::next(match) == arguments.end()) return std::nullopt;
    return *std::next(match);
}

std::optional<std::int64_t> integerArgument(const std::string& name, const std::vector<std::string>& arguments) {
    auto text = argumentValue(name, arguments);
    if (!text) return std::nullopt;
    std::string_view digits = *text;
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty()) return std::nullopt;
    return value;
}

bool hasArgument(const std::string& name, const std::vector<std::string>& arguments) {
    return std::find(arguments.begin(), arguments.end(), name) != arguments.end();
}

}  // namespace tidewell::acceptance
