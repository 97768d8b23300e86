#include "model/sidebar_item.h"

#include "model/i18n.h"

namespace tidewell {

namespace {

struct ItemFacts {
    std::string_view raw;
    std::string_view symbol;
    // A keyed title when `key` is set, else the two-way pair.
    std::string_view key;
    std::string_view english;
    std::string_view chinese;
};

const ItemFacts& facts(SidebarItem item) {
    static constexpr ItemFacts table[] = {
        {"Home", "house", "", "Home", "首页"},
        {"Analyze", "magnifyingglass", "", "Analyze", "分析"},
        {"File Repair", "cross.case", "", "File Repair", "文件修复"},
        {"External Recovery", "externaldrive.badge.checkmark", "", "External Recovery", "外接恢复"},
        {"Apps", "square.grid.2x2", "apps", "", ""},
        {"Disk Usage", "internaldrive", "diskUsage", "", ""},
        {"Memory", "memorychip", "memory", "", ""},
        {"Safe Cleanup", "checkmark.shield", "safeCleanup", "", ""},
        {"Leftovers", "tray.full", "leftovers", "", ""},
        {"Stubborn Apps", "waveform.path.ecg", "", "Running", "正在运行"},
        {"Cleanup Plans", "list.bullet.clipboard", "", "Cleanup Plans", "清理计划"},
        {"History", "doc.text.magnifyingglass", "", "Reports", "报告"},
        {"Settings", "gearshape", "settings", "", ""},
    };
    return table[static_cast<std::size_t>(item)];
}

}  // namespace

std::string_view rawValue(SidebarItem item) {
    return facts(item).raw;
}

std::string title(SidebarItem item, std::string_view language) {
    const ItemFacts& itemFacts = facts(item);
    if (!itemFacts.key.empty()) return I18n::t(itemFacts.key, language);
    return I18n::pick(language, itemFacts.english, itemFacts.chinese);
}

std::string_view symbol(SidebarItem item) {
    return facts(item).symbol;
}

}  // namespace tidewell
