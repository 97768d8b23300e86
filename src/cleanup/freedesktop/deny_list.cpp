#include "cleanup/freedesktop/deny_list.h"

#include <algorithm>
#include <string>

#include "util/unicode_text.h"

namespace tidewell::Freedesktop {

bool isSharedPlace(std::string_view name) {
    const std::string lower = lowercased(name);
    return std::any_of(denyList.begin(), denyList.end(), [&](std::string_view entry) {
        const std::string pattern = lowercased(entry);
        if (pattern.ends_with('*')) return lower.starts_with(std::string_view(pattern).substr(0, pattern.size() - 1));
        return lower == pattern;
    });
}

}  // namespace tidewell::Freedesktop
