#include "ui/list_filters.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

struct App {
    std::string name;
    AppFilterFacts facts;
};

std::vector<std::string> names(const std::vector<App>& apps) {
    std::vector<std::string> result;
    for (const App& app : apps) result.push_back(app.name);
    return result;
}

std::vector<std::string> kept(AppFilter filter, const std::vector<App>& apps) {
    return names(applyAppFilter(filter, apps, [](const App& app) { return app.facts; }));
}

const std::vector<App> sampleApps{
    {"Just Under", {.totalDiskBytes = 499'999'999, .isRunning = true}},
    {"Exactly Large", {.totalDiskBytes = 500'000'000, .isRarelyUsedOrUnused = true}},
    {"Protected Giant", {.isProtected = true, .totalDiskBytes = 9'000'000'000, .isRunning = true}},
    {"Huge", {.totalDiskBytes = 2'000'000'000, .hasStartupItems = true}},
};

TEST(AppFilter, LargeKeepsFiveHundredMillionBytesAndMoreLargestFirstNeverProtected) {
    EXPECT_EQ(kept(AppFilter::large, sampleApps), (std::vector<std::string>{"Huge", "Exactly Large"}));
}

TEST(AppFilter, OtherFiltersDropProtectedAppsAndKeepListOrder) {
    EXPECT_EQ(kept(AppFilter::all, sampleApps),
              (std::vector<std::string>{"Just Under", "Exactly Large", "Protected Giant", "Huge"}));
    EXPECT_EQ(kept(AppFilter::running, sampleApps), (std::vector<std::string>{"Just Under"}));
    EXPECT_EQ(kept(AppFilter::unused, sampleApps), (std::vector<std::string>{"Exactly Large"}));
    EXPECT_EQ(kept(AppFilter::background, sampleApps), (std::vector<std::string>{"Huge"}));
}

TEST(ListFilters, SafeCleanupAndLeftoverFiltersKeepTheirKindAndAllKeepsEverything) {
    const std::vector<std::pair<std::string, SafeCleanupFilter>> items{{"a.dmg", SafeCleanupFilter::installers},
                                                                       {"b.log", SafeCleanupFilter::logs}};
    auto inCategory = [](const auto& item, SafeCleanupFilter filter) { return item.second == filter; };
    EXPECT_EQ(applySafeCleanupFilter(SafeCleanupFilter::logs, items, inCategory).size(), 1u);
    EXPECT_EQ(applySafeCleanupFilter(SafeCleanupFilter::caches, items, inCategory).size(), 0u);
    EXPECT_EQ(applySafeCleanupFilter(SafeCleanupFilter::all, items, inCategory).size(), 2u);

    using Group = std::vector<LeftoverFilter>;
    const std::vector<Group> groups{{LeftoverFilter::caches, LeftoverFilter::preferences}, {LeftoverFilter::scripts}};
    auto hasKind = [](const Group& group, LeftoverFilter kind) {
        return std::find(group.begin(), group.end(), kind) != group.end();
    };
    EXPECT_EQ(applyLeftoverFilter(LeftoverFilter::preferences, groups, hasKind), (std::vector<Group>{groups[0]}));
    EXPECT_EQ(applyLeftoverFilter(LeftoverFilter::containers, groups, hasKind).size(), 0u);
    EXPECT_EQ(applyLeftoverFilter(LeftoverFilter::all, groups, hasKind), groups);
}

TEST(ListFilters, TitlesFollowTheLanguage) {
    EXPECT_EQ(title(AppFilter::large, "English"), "Large");
    EXPECT_EQ(title(AppFilter::running, "Español"), "En ejecución");
    EXPECT_EQ(title(LeftoverFilter::preferences, "English"), "Prefs");
    EXPECT_EQ(title(SafeCleanupFilter::all, "简体中文"), "全部");
}

}  // namespace
}  // namespace tidewell
