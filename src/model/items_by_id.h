#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace tidewell {

// The first item whose `id` is `id`, else null; mutable when the list is.
template <typename Items>
auto withID(Items& items, const std::string& id) -> decltype(&*items.begin()) {
    auto found = std::find_if(items.begin(), items.end(), [&](const auto& item) { return item.id == id; });
    return found == items.end() ? nullptr : &*found;
}

// The item with the id when one is given and listed, else the first item, else none.
template <typename Item>
std::optional<Item> withIDOrFirst(const std::vector<Item>& items, const std::optional<std::string>& id) {
    if (id)
        if (const Item* found = withID(items, *id)) return *found;
    if (items.empty()) return std::nullopt;
    return items.front();
}

}  // namespace tidewell
