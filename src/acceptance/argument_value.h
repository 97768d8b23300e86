#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tidewell::acceptance {

// The element after the first whole-element, case-sensitive match of `name`,
// whatever it is; none when the option is absent or is the last element.
std::optional<std::string> argumentValue(const std::string& name, const std::vector<std::string>& arguments);

// The option's value as a base-10 integer filling the whole text, in range,
// after one leading "+" is dropped; none when absent or unparsable.
std::optional<std::int64_t> integerArgument(const std::string& name, const std::vector<std::string>& arguments);

// True when `name` is an element of the argument vector.
bool hasArgument(const std::string& name, const std::vector<std::string>& arguments);

}  // namespace tidewell::acceptance
