#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cleanup/safe_cleanup_item.h"

namespace tidewell {

// The category's English title and subtitle, name, path, size text and note.
std::vector<std::string> searchFields(const SafeCleanupItem& item);
bool matchesSearch(const SafeCleanupItem& item, std::string_view query);

}  // namespace tidewell
