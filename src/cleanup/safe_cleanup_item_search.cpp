#include "cleanup/safe_cleanup_item_search.h"

#include "cleanup/search_matcher.h"

namespace tidewell {

std::vector<std::string> searchFields(const SafeCleanupItem& item) {
    return {title(item.category), subtitle(item.category), item.name, item.path, item.sizeText(), item.note};
}

bool matchesSearch(const SafeCleanupItem& item, std::string_view query) {
    return SearchMatcher::matches(query, searchFields(item));
}

}  // namespace tidewell
