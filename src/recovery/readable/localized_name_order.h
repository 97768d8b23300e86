#pragma once

#include <string_view>

namespace tidewell {

// Case-insensitive name order for lists shown to the user: letters compare
// without case (so "Archive" sorts before "backup"), and names that differ
// only in case fall back to plain byte order so the order is total.
int localizedCaseInsensitiveCompare(std::string_view left, std::string_view right);
bool localizedCaseInsensitiveLess(std::string_view left, std::string_view right);

}  // namespace tidewell
