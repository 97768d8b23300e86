#pragma once

#include <array>
#include <string>
#include <vector>

#include "cleanup/safe_cleanup_item.h"

namespace tidewell::Freedesktop {

// How old an entry of each category must be before the safe cleanup offers it.
struct AgeLimit {
    SafeCleanupItem::Category category;
    int minimumAgeDays;
};
inline constexpr std::array<AgeLimit, 3> ageLimits{{
    {SafeCleanupItem::Category::installers, 0},
    {SafeCleanupItem::Category::logs, 7},
    {SafeCleanupItem::Category::caches, 3},
}};
int minimumAgeDays(SafeCleanupItem::Category category);

// Installers in Downloads (any age), top-level logs of the state folder and
// ~/.xsession-errors.old older than 7 days, top-level cache entries older than 3 days,
// never the cache of a running app (`runningAppKeys`: the related keys of running apps).
// Allowed by the safety policy, sorted as the safe cleanup sorts. Reads only.
std::vector<SafeCleanupItem> safeCleanupItems(const std::vector<std::string>& runningAppKeys);

}  // namespace tidewell::Freedesktop
