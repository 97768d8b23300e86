#include "cleanup/safe_cleanup_item.h"

#include "util/byte_size_text.h"

namespace tidewell {

using Category = SafeCleanupItem::Category;

std::string SafeCleanupItem::sizeText() const {
    return tidewellString(sizeBytes);
}

std::string rawValue(Category category) {
    switch (category) {
        case Category::installers:
            return "Installers";
        case Category::logs:
            return "Logs";
        case Category::caches:
            return "Caches";
    }
    return {};
}

std::optional<Category> safeCleanupCategoryFromRawValue(std::string_view raw) {
    for (Category category : SafeCleanupItem::allCategories) {
        if (rawValue(category) == raw) return category;
    }
    return std::nullopt;
}

std::string title(Category category) {
    return rawValue(category);
}

std::string subtitle(Category category) {
    switch (category) {
        case Category::installers:
            return "Downloaded .dmg / .pkg / .zip files";
        case Category::logs:
            return "Old user log files";
        case Category::caches:
            return "Rebuildable user cache files";
    }
    return {};
}

std::string symbolName(Category category) {
    switch (category) {
        case Category::installers:
            return "shippingbox.fill";
        case Category::logs:
            return "doc.text.fill";
        case Category::caches:
            return "externaldrive.fill";
    }
    return {};
}

}  // namespace tidewell
