#include "ui/list_filters.h"

#include "model/i18n.h"

namespace tidewell {

namespace {

bool keepsApp(AppFilter filter, const AppFilterFacts& app) {
    switch (filter) {
        case AppFilter::all:
            return true;
        case AppFilter::large:
            return app.totalDiskBytes >= ListFilterLimits::largeAppBytes;
        case AppFilter::unused:
            return app.isRarelyUsedOrUnused;
        case AppFilter::running:
            return app.isRunning;
        case AppFilter::background:
            return app.hasStartupItems;
    }
    return false;
}

}  // namespace

std::string title(AppFilter filter, std::string_view language) {
    static constexpr std::string_view keys[] = {"all", "large", "unused", "running", "background"};
    return I18n::t(keys[static_cast<std::size_t>(filter)], language);
}

std::string title(SafeCleanupFilter filter, std::string_view language) {
    static constexpr std::string_view keys[] = {"all", "installers", "logs", "caches"};
    return I18n::t(keys[static_cast<std::size_t>(filter)], language);
}

std::string title(LeftoverFilter filter, std::string_view language) {
    static constexpr std::string_view keys[] = {"all", "containers", "groups", "scripts", "caches", "support", "prefs"};
    return I18n::t(keys[static_cast<std::size_t>(filter)], language);
}

std::vector<std::size_t> appFilterSelection(AppFilter filter, std::span<const AppFilterFacts> apps) {
    std::vector<std::size_t> kept;
    for (std::size_t index = 0; index < apps.size(); ++index) {
        const AppFilterFacts& app = apps[index];
        if (filter != AppFilter::all && app.isProtected) continue;
        if (keepsApp(filter, app)) kept.push_back(index);
    }
    if (filter == AppFilter::large)
        std::stable_sort(kept.begin(), kept.end(), [&](std::size_t left, std::size_t right) {
            return apps[left].totalDiskBytes > apps[right].totalDiskBytes;
        });
    return kept;
}

}  // namespace tidewell
