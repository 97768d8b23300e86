#include "cleanup/diagnostic_exporter.h"

#include <algorithm>
#include <functional>

#include "cleanup/cleanup_report_coding.h"
#include "platform/folders.h"
#include "util/atomic_file.h"
#include "util/date_codings.h"

namespace tidewell::DiagnosticExporter {

using nlohmann::json;

namespace {

AppSummary summary(const AppInfo& app) {
    return AppSummary{app.name,        app.bundleIdentifier, app.totalDiskBytes(),
                      app.memoryBytes, app.isProtected,      static_cast<std::int64_t>(app.launchAgents.size())};
}

// The first `Limits::leaders` apps by the given measure, largest first; equal
// measures keep the inventory's order.
std::vector<AppSummary> leaders(const std::vector<AppInfo>& apps,
                                const std::function<std::int64_t(const AppInfo&)>& measure) {
    std::vector<const AppInfo*> sorted;
    sorted.reserve(apps.size());
    for (const AppInfo& app : apps) sorted.push_back(&app);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [&](const AppInfo* left, const AppInfo* right) { return measure(*left) > measure(*right); });
    std::vector<AppSummary> summaries;
    for (std::size_t index = 0; index < std::min(sorted.size(), Limits::leaders); ++index)
        summaries.push_back(summary(*sorted[index]));
    return summaries;
}

json encodeSummary(const AppSummary& app) {
    return json{{"name", app.name},
                {"bundleIdentifier", app.bundleIdentifier},
                {"diskBytes", app.diskBytes},
                {"memoryBytes", app.memoryBytes},
                {"isProtected", app.isProtected},
                {"launchAgentCount", app.launchAgentCount}};
}

json encodeSummaries(const std::vector<AppSummary>& apps) {
    json array = json::array();
    for (const AppSummary& app : apps) array.push_back(encodeSummary(app));
    return array;
}

}  // namespace

DiagnosticReport makeReport(const std::vector<AppInfo>& apps, const std::vector<CleanupReport>& reports,
                            std::chrono::system_clock::time_point now) {
    DiagnosticReport report;
    report.generatedAt = now;
    report.appCount = static_cast<std::int64_t>(apps.size());
    for (const AppInfo& app : apps) {
        report.protectedCount += app.isProtected ? 1 : 0;
        report.runningCount += app.isRunning ? 1 : 0;
        report.launchAgentMatches += static_cast<std::int64_t>(app.launchAgents.size());
    }
    report.diskLeaders = leaders(apps, [](const AppInfo& app) { return app.totalDiskBytes(); });
    report.memoryLeaders = leaders(apps, [](const AppInfo& app) { return app.memoryBytes; });
    report.cleanupReports.assign(reports.begin(), reports.begin() + static_cast<std::ptrdiff_t>(std::min(
                                                                        reports.size(), Limits::cleanupReports)));
    return report;
}

std::string encodedReport(const DiagnosticReport& report) {
    json cleanupReports = json::array();
    for (const CleanupReport& cleanup : report.cleanupReports)
        cleanupReports.push_back(encodeCleanupReport(cleanup, ReportDateEncoding::iso8601));
    const json object{{"generatedAt", iso8601String(report.generatedAt)},
                      {"appCount", report.appCount},
                      {"protectedCount", report.protectedCount},
                      {"runningCount", report.runningCount},
                      {"launchAgentMatches", report.launchAgentMatches},
                      {"diskLeaders", encodeSummaries(report.diskLeaders)},
                      {"memoryLeaders", encodeSummaries(report.memoryLeaders)},
                      {"cleanupReports", cleanupReports}};
    return prettyJSON(object);
}

std::filesystem::path diagnosticsFolder() {
    return platform::applicationDataDirectory() / "Diagnostics";
}

std::string fileName(std::chrono::system_clock::time_point now) {
    std::string stamp = iso8601String(now);
    std::replace(stamp.begin(), stamp.end(), ':', '-');
    return "diagnostic-" + stamp + ".json";
}

std::filesystem::path exportReport(const std::vector<AppInfo>& apps, const std::vector<CleanupReport>& reports,
                                   std::chrono::system_clock::time_point now) {
    std::filesystem::path url = diagnosticsFolder() / fileName(now);
    writeFileAtomically(url, encodedReport(makeReport(apps, reports, now)));
    return url;
}

}  // namespace tidewell::DiagnosticExporter
