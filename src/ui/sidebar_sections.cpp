#include "ui/sidebar_sections.h"

#include "model/i18n.h"

namespace tidewell {

std::vector<SidebarSection> moduleSections(std::optional<ProductModule> module, std::string_view language) {
    if (!module) return {};
    switch (*module) {
        case ProductModule::cleaner:
            return {{I18n::pick(language, "Clean Workflow", "清理工作流"), {cleanerItems.begin(), cleanerItems.end()}},
                    {I18n::pick(language, "Utilities", "实用工具"), {utilityItems.begin(), utilityItems.end()}}};
        case ProductModule::repair:
            return {{I18n::pick(language, "Repair Workflow", "修复工作流"), {SidebarItem::repair}}};
        case ProductModule::recover:
            return {{I18n::pick(language, "Recovery Workflow", "恢复工作流"), {SidebarItem::recovery}}};
    }
    return {};
}

}  // namespace tidewell
