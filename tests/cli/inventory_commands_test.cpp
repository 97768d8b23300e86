#include <gtest/gtest.h>

#include "cleanup/app_layout_fixture.h"
#include "cleanup/app_scanner.h"
#include "cleanup/safe_cleanup_scan.h"
#include "cleanup/scan_result.h"
#include "cli/tidewell_process.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::runTidewell;

nlohmann::json candidateFacts(const std::vector<CleanupCandidate>& candidates) {
    nlohmann::json facts = nlohmann::json::array();
    for (const CleanupCandidate& candidate : candidates) {
        facts.push_back(
            {candidate.path, rawValue(candidate.kind), candidate.sizeBytes, rawValue(candidate.safetyLevel)});
    }
    return facts;
}

nlohmann::json candidateFacts(const nlohmann::json& candidates) {
    nlohmann::json facts = nlohmann::json::array();
    for (const auto& candidate : candidates) {
        facts.push_back({candidate["path"], candidate["kind"], candidate["sizeBytes"], candidate["safetyLevel"]});
    }
    return facts;
}

class InventoryCommandsTest : public ::testing::Test {
protected:
    InventoryCommandsTest() {
        layout.makeBundle(layout.system("/Applications"), "Tool", {{"CFBundleIdentifier", "com.example.tool"}});
        layout.makeBundle(layout.home() / "Applications", "Editor", {{"CFBundleIdentifier", "com.example.editor"}});
        testing::writeFile(layout.home() / "Library/Caches/com.example.tool/data", std::string(5000, 'c'));
        testing::writeFile(layout.home() / "Library/Preferences/com.example.gone.plist", std::string(300, 'p'));
        testing::writeFile(layout.home() / "Library/Application Support/com.example.gone/db", std::string(900, 's'));
        testing::writeFile(layout.home() / "Downloads/Setup.dmg", std::string(9000, 'd'));
        const fs::path log = layout.home() / "Library/Logs/old.log";
        testing::writeFile(log, std::string(700, 'l'));
        fs::last_write_time(log, fs::file_time_type::clock::now() - std::chrono::days(10));
    }

    testing::AppLayoutFixture layout;
};

TEST_F(InventoryCommandsTest, ListingsMatchTheEnginesAndMoveNothing) {
    const auto homeBefore = testing::treeSnapshot(layout.home());
    const auto rootBefore = testing::treeSnapshot(layout.root());

    for (bool related : {false, true}) {
        const auto run = runTidewell(related ? std::vector<std::string>{"apps", "--related", "--json"}
                                             : std::vector<std::string>{"apps", "--json"});
        ASSERT_EQ(run.status, 0) << run.err;
        const auto listed = run.json()["apps"];
        const auto apps = AppScanner::scan(related);
        ASSERT_EQ(listed.size(), apps.size());
        for (std::size_t index = 0; index < apps.size(); ++index) {
            EXPECT_EQ(listed[index]["path"], apps[index].path);
            EXPECT_EQ(listed[index]["bundleIdentifier"], apps[index].bundleIdentifier);
            EXPECT_EQ(listed[index]["sizeBytes"], apps[index].sizeBytes);
            EXPECT_EQ(listed[index]["relatedBytes"], apps[index].relatedBytes);
            EXPECT_EQ(listed[index]["statusText"], apps[index].statusText());
            EXPECT_EQ(candidateFacts(listed[index]["cleanupCandidates"]),
                      candidateFacts(apps[index].cleanupCandidates));
        }
        EXPECT_EQ(listed.size(), 2u);
    }

    const auto leftovers = runTidewell({"leftovers", "--json"});
    ASSERT_EQ(leftovers.status, 0) << leftovers.err;
    const auto groups = AppScanner::scanAll().leftovers;
    const auto listedGroups = leftovers.json()["leftovers"];
    ASSERT_EQ(listedGroups.size(), groups.size());
    ASSERT_FALSE(groups.empty());
    for (std::size_t index = 0; index < groups.size(); ++index) {
        EXPECT_EQ(listedGroups[index]["id"], groups[index].id);
        EXPECT_EQ(listedGroups[index]["totalBytes"], groups[index].totalBytes());
        EXPECT_EQ(listedGroups[index]["riskText"], groups[index].riskText());
        EXPECT_EQ(listedGroups[index]["ownerText"], groups[index].ownerText());
        EXPECT_EQ(candidateFacts(listedGroups[index]["candidates"]), candidateFacts(groups[index].candidates));
    }

    const auto cleanup = runTidewell({"safe-cleanup", "--json"});
    ASSERT_EQ(cleanup.status, 0) << cleanup.err;
    nlohmann::json expectedItems = nlohmann::json::array();
    for (const SafeCleanupItem& item : AppScanner::scanSafeCleanup()) {
        expectedItems.push_back({item.path, rawValue(item.category), item.sizeBytes});
    }
    nlohmann::json listedItems = nlohmann::json::array();
    const auto items = cleanup.json()["items"];
    for (const auto& item : items) {
        listedItems.push_back({item["path"], item["category"], item["sizeBytes"]});
    }
    EXPECT_EQ(listedItems, expectedItems);
    EXPECT_EQ(listedItems.size(), 2u);

    EXPECT_EQ(testing::treeSnapshot(layout.home()), homeBefore);
    EXPECT_EQ(testing::treeSnapshot(layout.root()), rootBefore);
}

TEST_F(InventoryCommandsTest, TextListingsNameTheItems) {
    const auto apps = runTidewell({"apps", "--related"});
    ASSERT_EQ(apps.status, 0) << apps.err;
    EXPECT_NE(apps.out.find("Tool  "), std::string::npos);
    EXPECT_NE(apps.out.find("] Cache  "), std::string::npos);
    const auto leftovers = runTidewell({"leftovers"});
    EXPECT_NE(leftovers.out.find("com.example.gone.plist"), std::string::npos);
    const auto cleanup = runTidewell({"safe-cleanup"});
    EXPECT_NE(cleanup.out.find("[Installers] Setup.dmg  "), std::string::npos);
    EXPECT_NE(cleanup.out.find("[Logs] old.log  "), std::string::npos);
    EXPECT_EQ(runTidewell({"apps", "extra"}).status, 64);
}

TEST(InventoryCommands, AnEmptyListingSaysSoInOneLineAndStaysAnEmptyListInJSON) {
    testing::TemporaryHome home;
    testing::TemporaryFolder root;
    testing::ScopedEnvironment rooted{"TIDEWELL_SYSTEM_ROOT", root.path().string()};
    testing::ScopedEnvironment layout{"TIDEWELL_LAYOUT", "freedesktop"};
    const std::vector<std::pair<std::string, std::string>> listings{
        {"apps", "No apps found.\n"},
        {"leftovers", "No leftovers of removed apps found.\n"},
        {"safe-cleanup", "No installers, old logs or old caches to clean up.\n"}};
    for (const auto& [command, line] : listings) {
        const auto text = runTidewell({command});
        EXPECT_EQ(text.status, 0) << command << ": " << text.err;
        EXPECT_EQ(text.out, line);
        const auto json = runTidewell({command, "--json"});
        ASSERT_EQ(json.status, 0) << command << ": " << json.err;
        EXPECT_EQ(json.json().begin().value(), nlohmann::json::array()) << command;
    }
}

}  // namespace
}  // namespace tidewell
