#include "model/app_lists.h"

#include <algorithm>
#include <functional>

#include "cleanup/saturating_sum.h"

namespace tidewell::AppLists {

namespace {

std::vector<AppInfo> filtered(const std::vector<AppInfo>& apps, const std::function<bool(const AppInfo&)>& keep) {
    std::vector<AppInfo> result;
    std::copy_if(apps.begin(), apps.end(), std::back_inserter(result), keep);
    return result;
}

// Largest `measure` first; at most `limit` apps.
template <typename Measure>
std::vector<AppInfo> leaders(std::vector<AppInfo> apps, Measure measure, std::size_t limit) {
    std::stable_sort(apps.begin(), apps.end(),
                     [&](const AppInfo& a, const AppInfo& b) { return measure(a) > measure(b); });
    if (apps.size() > limit) apps.resize(limit);
    return apps;
}

}  // namespace

std::vector<AppInfo> thirdPartyApps(const std::vector<AppInfo>& apps) {
    return filtered(apps, [](const AppInfo& app) { return !app.isProtected; });
}

std::vector<AppInfo> protectedApps(const std::vector<AppInfo>& apps) {
    return filtered(apps, [](const AppInfo& app) { return app.isProtected; });
}

std::vector<AppInfo> diskLeaders(const std::vector<AppInfo>& apps) {
    return leaders(
        apps, [](const AppInfo& app) { return app.totalDiskBytes(); }, Limits::diskLeaders);
}

std::vector<AppInfo> memoryLeaders(const std::vector<AppInfo>& apps) {
    return leaders(
        apps, [](const AppInfo& app) { return app.memoryBytes; }, Limits::memoryLeaders);
}

std::vector<AppInfo> installerLeaders(const std::vector<AppInfo>& apps) {
    auto withInstallers =
        filtered(apps, [](const AppInfo& app) { return app.installerBytes > 0 || app.relatedBytes > 0; });
    return leaders(
        std::move(withInstallers), [](const AppInfo& app) { return saturatingSum(app.installerBytes, app.cacheBytes); },
        Limits::installerLeaders);
}

std::vector<AppInfo> stubbornApps(const std::vector<AppInfo>& apps) {
    auto stubborn = filtered(
        apps, [](const AppInfo& app) { return !app.isProtected && (app.isRunning || !app.launchAgents.empty()); });
    const std::size_t count = stubborn.size();
    return leaders(
        std::move(stubborn), [](const AppInfo& app) { return app.launchAgents.size(); }, count);
}

}  // namespace tidewell::AppLists
