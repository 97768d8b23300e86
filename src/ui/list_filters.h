#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The filters shown above the app, safe-cleanup and leftover lists. The rules work on a
// few facts per row, so each page maps its own records onto them.
namespace tidewell {

enum class AppFilter { all, large, unused, running, background };
enum class SafeCleanupFilter { all, installers, logs, caches };
enum class LeftoverFilter { all, containers, groupContainers, scripts, caches, support, preferences };

inline constexpr std::array<AppFilter, 5> allAppFilterCases{AppFilter::all, AppFilter::large, AppFilter::unused,
                                                            AppFilter::running, AppFilter::background};
inline constexpr std::array<SafeCleanupFilter, 4> allSafeCleanupFilterCases{
    SafeCleanupFilter::all, SafeCleanupFilter::installers, SafeCleanupFilter::logs, SafeCleanupFilter::caches};
inline constexpr std::array<LeftoverFilter, 7> allLeftoverFilterCases{
    LeftoverFilter::all,    LeftoverFilter::containers, LeftoverFilter::groupContainers, LeftoverFilter::scripts,
    LeftoverFilter::caches, LeftoverFilter::support,    LeftoverFilter::preferences};

namespace ListFilterLimits {
// The `large` filter keeps apps of this many total bytes and more.
inline constexpr std::int64_t largeAppBytes = 500'000'000;
}  // namespace ListFilterLimits

// The filter's title in `language`.
std::string title(AppFilter filter, std::string_view language);
std::string title(SafeCleanupFilter filter, std::string_view language);
std::string title(LeftoverFilter filter, std::string_view language);

// What the app filters look at.
struct AppFilterFacts {
    bool isProtected = false;
    std::int64_t totalDiskBytes = 0;
    // Usage level rarely used or probably unused.
    bool isRarelyUsedOrUnused = false;
    bool isRunning = false;
    // At least one startup item.
    bool hasStartupItems = false;
};

// The positions of the apps `filter` keeps, in display order: `all` keeps every app in list
// order; the others drop protected apps first; `large` keeps 500,000,000 bytes and more,
// largest first; the rest keep list order.
std::vector<std::size_t> appFilterSelection(AppFilter filter, std::span<const AppFilterFacts> apps);

template <class App, class FactsOf>
std::vector<App> applyAppFilter(AppFilter filter, const std::vector<App>& apps, FactsOf factsOf) {
    std::vector<AppFilterFacts> facts;
    facts.reserve(apps.size());
    for (const App& app : apps) facts.push_back(factsOf(app));
    std::vector<App> kept;
    for (std::size_t index : appFilterSelection(filter, facts)) kept.push_back(apps[index]);
    return kept;
}

// `all` keeps every item; another filter keeps the items `isInCategory(item, filter)` accepts.
template <class Item, class IsInCategory>
std::vector<Item> applySafeCleanupFilter(SafeCleanupFilter filter, const std::vector<Item>& items,
                                         IsInCategory isInCategory) {
    std::vector<Item> kept;
    std::copy_if(items.begin(), items.end(), std::back_inserter(kept),
                 [&](const Item& item) { return filter == SafeCleanupFilter::all || isInCategory(item, filter); });
    return kept;
}

// `all` keeps every group; another filter keeps a group when `hasKind(group, filter)`: at
// least one of its candidates is of the filter's kind.
template <class Group, class HasKind>
std::vector<Group> applyLeftoverFilter(LeftoverFilter filter, const std::vector<Group>& groups, HasKind hasKind) {
    std::vector<Group> kept;
    std::copy_if(groups.begin(), groups.end(), std::back_inserter(kept),
                 [&](const Group& group) { return filter == LeftoverFilter::all || hasKind(group, filter); });
    return kept;
}

}  // namespace tidewell
