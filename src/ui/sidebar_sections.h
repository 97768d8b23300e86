#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/product_module.h"
#include "model/sidebar_item.h"

namespace tidewell {

// A titled group of sidebar rows.
struct SidebarSection {
    std::string title;
    std::vector<SidebarItem> items;

    bool operator==(const SidebarSection&) const = default;
};

// The sections of the selected module: clean has its workflow and the utilities, repair and
// recover one workflow section each, no module none.
std::vector<SidebarSection> moduleSections(std::optional<ProductModule> module, std::string_view language);

}  // namespace tidewell
