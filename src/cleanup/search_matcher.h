#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tidewell::SearchMatcher {

// The query's white-space-separated words; none for a blank query.
std::vector<std::string> tokens(std::string_view query);

// True when every word of the query occurs, ignoring case, in at least one
// field; words may match different fields in any order. A blank query matches.
bool matches(std::string_view query, const std::vector<std::string>& fields);

}  // namespace tidewell::SearchMatcher
