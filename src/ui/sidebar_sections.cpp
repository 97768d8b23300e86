#include "ui/sidebar_sections.h"

#include "ui/page_texts.h"

namespace tidewell {

std::vector<SidebarSection> moduleSections(std::optional<ProductModule> module, std::string_view language) {
    if (!module) return {};
    switch (*module) {
        case ProductModule::cleaner:
            return {{PageTexts::text("Clean Workflow", language), {cleanerItems.begin(), cleanerItems.end()}},
                    {PageTexts::text("Utilities", language), {utilityItems.begin(), utilityItems.end()}}};
        case ProductModule::repair:
            return {{PageTexts::text("Repair Workflow", language), {SidebarItem::repair}}};
        case ProductModule::recover:
            return {{PageTexts::text("Recovery Workflow", language), {SidebarItem::recovery}}};
    }
    return {};
}

}  // namespace tidewell
