#include "cleanup/search_fields.h"

#include <ctime>

#include "cleanup/app_info.h"
#include "cleanup/cleanup_report.h"
#include "cleanup/leftover_group.h"

namespace tidewell {

namespace {

void appendCandidateFields(std::vector<std::string>& fields, const CleanupCandidate& candidate) {
    fields.insert(fields.end(), {candidate.label, candidate.path, candidate.evidence, candidate.note,
                                 rawValue(candidate.kind), rawValue(candidate.safetyLevel)});
}

}  // namespace

std::vector<std::string> searchFields(const AppInfo& app) {
    const UsageSummary usage = app.usageSummary();
    std::vector<std::string> fields{app.name,         app.bundleIdentifier, app.version,           app.path,
                                    app.sizeText(),   app.totalDiskText(),  app.relatedText(),     app.installerText(),
                                    app.memoryText(), app.lastUsedText(),   rawValue(usage.level), usage.reason,
                                    app.statusText()};
    for (const LaunchAgentInfo& item : app.launchAgents)
        fields.insert(fields.end(), {item.label, item.path, item.program, item.helperPath.value_or(""), item.reason()});
    for (const CleanupCandidate& candidate : app.cleanupCandidates) appendCandidateFields(fields, candidate);
    return fields;
}

std::vector<std::string> searchFields(const LeftoverGroup& group) {
    std::vector<std::string> fields{group.name,        group.matchToken,         group.id,
                                    group.riskText(),  group.totalText(),        group.itemCountText(),
                                    group.ownerText(), group.sourceDetailText(), group.removalAdviceText()};
    for (const CleanupCandidate& candidate : group.candidates) {
        appendCandidateFields(fields, candidate);
        fields.push_back(candidate.sizeText());
    }
    return fields;
}

std::vector<std::string> searchFields(const CleanupReport& report) {
    std::vector<std::string> fields{report.appName, report.statusText(), report.recoveredText(),
                                    reportDateText(report.date)};
    fields.insert(fields.end(), report.movedItems.begin(), report.movedItems.end());
    fields.insert(fields.end(), report.failedItems.begin(), report.failedItems.end());
    return fields;
}

bool matchesSearch(const AppInfo& app, std::string_view query) {
    return SearchMatcher::matches(query, searchFields(app));
}

std::string reportDateText(std::chrono::system_clock::time_point date) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(date);
    std::tm local{};
    if (!localtime_r(&seconds, &local)) return {};
    char day[32];
    char time[32];
    std::strftime(day, sizeof day, "%b %d, %Y", &local);
    std::strftime(time, sizeof time, "%I:%M:%S %p", &local);
    std::string dayText = day;
    std::string timeText = time;
    // "Dec 04" and "09:05" read "Dec 4" and "9:05" in the abbreviated style.
    if (dayText.size() > 4 && dayText[4] == '0') dayText.erase(4, 1);
    if (timeText.front() == '0') timeText.erase(0, 1);
    return dayText + " at " + timeText;
}

}  // namespace tidewell
