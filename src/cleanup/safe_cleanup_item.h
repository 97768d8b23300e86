#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tidewell {

// One piece of clutter the safe cleanup offers, independent of any app.
struct SafeCleanupItem {
    enum class Category { installers, logs, caches };
    static constexpr std::array<Category, 3> allCategories = {Category::installers, Category::logs, Category::caches};

    std::string id;  // the item's absolute path
    Category category = Category::installers;
    std::string name;
    std::string path;
    std::int64_t sizeBytes = 0;  // allocated bytes
    std::string note;

    std::string sizeText() const;

    bool operator==(const SafeCleanupItem&) const = default;
};

// "Installers", "Logs", "Caches".
std::string rawValue(SafeCleanupItem::Category category);
std::optional<SafeCleanupItem::Category> safeCleanupCategoryFromRawValue(std::string_view raw);
// The English title (the raw value); the views localise it by key.
std::string title(SafeCleanupItem::Category category);
std::string subtitle(SafeCleanupItem::Category category);
std::string symbolName(SafeCleanupItem::Category category);

}  // namespace tidewell
