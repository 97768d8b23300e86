#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tidewell {

// The pages of the main window, in the order of allSidebarItemCases.
enum class SidebarItem {
    home,
    overview,
    repair,
    recovery,
    apps,
    disk,
    memory,
    installers,
    leftovers,
    stubborn,
    cleanupPlans,
    history,
    settings
};

inline constexpr std::array<SidebarItem, 13> allSidebarItemCases{
    SidebarItem::home,      SidebarItem::overview, SidebarItem::repair,       SidebarItem::recovery,
    SidebarItem::apps,      SidebarItem::disk,     SidebarItem::memory,       SidebarItem::installers,
    SidebarItem::leftovers, SidebarItem::stubborn, SidebarItem::cleanupPlans, SidebarItem::history,
    SidebarItem::settings};

// The fixed item lists the sidebar is made of.
inline constexpr std::array<SidebarItem, 4> cleanerItems{SidebarItem::overview, SidebarItem::apps,
                                                         SidebarItem::stubborn, SidebarItem::cleanupPlans};
inline constexpr std::array<SidebarItem, 2> utilityItems{SidebarItem::installers, SidebarItem::leftovers};
inline constexpr std::array<SidebarItem, 2> commonItems{SidebarItem::history, SidebarItem::settings};

// "Home", "Analyze", "File Repair", ... ; also the item's identity.
std::string_view rawValue(SidebarItem item);

// The row title: a keyed text in `language` for the keyed items, a two-way text for the others.
std::string title(SidebarItem item, std::string_view language);

// The symbol name of the item.
std::string_view symbol(SidebarItem item);

}  // namespace tidewell
