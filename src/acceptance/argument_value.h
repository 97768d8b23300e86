#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tidewell::acceptance {

// The element after the first whole-element, case-sensitive match of `name`,
// whatever it is; none when the option is absent or is the last element.
std::optional<std::string> argumentValue(const std::string& name, const std::vector<std::string>& arguments);

// True when `name` is an element of the argument vector.
bool hasArgument(const std::string& name, const std::vector<std::string>& arguments);

}  // namespace tidewell::acceptance
