#include "model/app_lists.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

AppInfo app(const std::string& name, std::int64_t sizeBytes = 0) {
    AppInfo info;
    info.id = "/Applications/" + name + ".app";
    info.name = name;
    info.sizeBytes = sizeBytes;
    return info;
}

std::vector<std::string> names(const std::vector<AppInfo>& apps) {
    std::vector<std::string> result;
    for (const AppInfo& each : apps) result.push_back(each.name);
    return result;
}

using Names = std::vector<std::string>;

TEST(AppLists, ProtectionSplitsTheInventoryInOrder) {
    std::vector<AppInfo> apps{app("A"), app("B"), app("C")};
    apps[1].isProtected = true;
    EXPECT_EQ(names(AppLists::thirdPartyApps(apps)), (Names{"A", "C"}));
    EXPECT_EQ(names(AppLists::protectedApps(apps)), (Names{"B"}));
}

TEST(AppLists, DiskLeadersAreTheLargestEightByTotalUse) {
    std::vector<AppInfo> three{app("Small", 10), app("Large", 30), app("Middle", 20)};
    three[0].relatedBytes = 15;  // 25 in all
    EXPECT_EQ(names(AppLists::diskLeaders(three)), (Names{"Large", "Small", "Middle"}));

    std::vector<AppInfo> ten;
    for (int index = 0; index < 10; ++index) ten.push_back(app(std::to_string(index), index));
    EXPECT_EQ(names(AppLists::diskLeaders(ten)), (Names{"9", "8", "7", "6", "5", "4", "3", "2"}));
}

TEST(AppLists, MemoryLeadersKeepInventoryOrderOnTies) {
    std::vector<AppInfo> apps{app("A"), app("B"), app("C")};
    apps[2].memoryBytes = 5;
    EXPECT_EQ(names(AppLists::memoryLeaders(apps)), (Names{"C", "A", "B"}));
}

TEST(AppLists, InstallerLeadersNeedInstallersOrRelatedFiles) {
    std::vector<AppInfo> apps{app("None"), app("Related"), app("Installer")};
    apps[1].relatedBytes = 1;
    apps[1].cacheBytes = 1;
    apps[2].installerBytes = 100;
    EXPECT_EQ(names(AppLists::installerLeaders(apps)), (Names{"Installer", "Related"}));

    std::vector<AppInfo> huge{app("Max"), app("One")};
    huge[0].installerBytes = INT64_MAX;
    huge[0].cacheBytes = INT64_MAX;
    huge[1].installerBytes = 1;
    EXPECT_EQ(names(AppLists::installerLeaders(huge)), (Names{"Max", "One"}));
}

TEST(AppLists, StubbornAppsRunOrStartByThemselvesMostStartupItemsFirst) {
    std::vector<AppInfo> apps{app("Running"), app("Agents"), app("Quiet"), app("System")};
    apps[0].isRunning = true;
    apps[1].launchAgents.resize(2);
    apps[3].isRunning = true;
    apps[3].isProtected = true;
    EXPECT_EQ(names(AppLists::stubbornApps(apps)), (Names{"Agents", "Running"}));
}

}  // namespace
}  // namespace tidewell
