#include "cleanup/diagnostic_exporter.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/temporary_folder.h"
#include "util/date_codings.h"

namespace tidewell {
namespace {

using nlohmann::json;

AppInfo app(const std::string& name, std::int64_t sizeBytes, std::int64_t memoryBytes) {
    AppInfo info;
    info.id = info.path = "/Applications/" + name + ".app";
    info.name = name;
    info.bundleIdentifier = "com.example." + name;
    info.sizeBytes = sizeBytes;
    info.relatedBytes = 5;
    info.memoryBytes = memoryBytes;
    info.isRunning = memoryBytes > 0;
    return info;
}

const auto exportTime = dateFromSecondsSinceReferenceDate(786'540'600);  // 2025-12-04T11:30:00Z

TEST(DiagnosticExporterTest, FileNameHasNoColons) {
    EXPECT_EQ(DiagnosticExporter::fileName(exportTime), "diagnostic-2025-12-04T11-30-00Z.json");
}

TEST(DiagnosticExporterTest, WritesCountsLeadersAndIsoDates) {
    const testing::TemporaryHome home;
    std::vector<AppInfo> apps;
    for (int index = 0; index < 12; ++index)
        apps.push_back(app("App" + std::to_string(index), index * 100, 12 - index));
    apps[0].isProtected = true;
    apps[1].launchAgents.resize(2);
    apps[2].launchAgents.resize(1);
    std::vector<CleanupReport> reports;
    for (int index = 0; index < 25; ++index)
        reports.push_back(CleanupReport::make(exportTime, "Report" + std::to_string(index), {}, {}, index));

    const auto url = DiagnosticExporter::exportReport(apps, reports, exportTime);
    EXPECT_EQ(url, home.path() / ".local/share/Tidewell/Diagnostics/diagnostic-2025-12-04T11-30-00Z.json");
    const json written = json::parse(testing::readFile(url));
    EXPECT_EQ(written["generatedAt"], "2025-12-04T11:30:00Z");
    EXPECT_EQ(written["appCount"], 12);
    EXPECT_EQ(written["protectedCount"], 1);
    EXPECT_EQ(written["runningCount"], 12);
    EXPECT_EQ(written["launchAgentMatches"], 3);
    ASSERT_EQ(written["diskLeaders"].size(), 10u);
    EXPECT_EQ(written["diskLeaders"][0], (json{{"name", "App11"},
                                               {"bundleIdentifier", "com.example.App11"},
                                               {"diskBytes", 1105},
                                               {"memoryBytes", 1},
                                               {"isProtected", false},
                                               {"launchAgentCount", 0}}));
    ASSERT_EQ(written["memoryLeaders"].size(), 10u);
    EXPECT_EQ(written["memoryLeaders"][0]["name"], "App0");
    EXPECT_EQ(written["memoryLeaders"][0]["isProtected"], true);
    EXPECT_EQ(written["memoryLeaders"][1]["launchAgentCount"], 2);
    ASSERT_EQ(written["cleanupReports"].size(), 20u);
    EXPECT_EQ(written["cleanupReports"][0]["date"], "2025-12-04T11:30:00Z");
    EXPECT_EQ(written["cleanupReports"][19]["appName"], "Report19");
}

TEST(DiagnosticExporterTest, FewAppsAndNoReports) {
    const testing::TemporaryHome home;
    const auto url = DiagnosticExporter::exportReport({app("One", 1, 0), app("Two", 2, 0)}, {}, exportTime);
    const json written = json::parse(testing::readFile(url));
    EXPECT_EQ(written["diskLeaders"].size(), 2u);
    EXPECT_EQ(written["memoryLeaders"].size(), 2u);
    EXPECT_EQ(written["cleanupReports"], json::array());
    // A second export within the same second replaces the first.
    EXPECT_EQ(DiagnosticExporter::exportReport({}, {}, exportTime), url);
    EXPECT_EQ(json::parse(testing::readFile(url))["appCount"], 0);
}

TEST(DiagnosticExporterTest, FolderCreationFailureIsThrown) {
    const testing::TemporaryHome home;
    testing::writeFile(DiagnosticExporter::diagnosticsFolder(), "in the way");
    EXPECT_THROW(DiagnosticExporter::exportReport({}, {}, exportTime), std::system_error);
}

}  // namespace
}  // namespace tidewell
