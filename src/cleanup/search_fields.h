#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "cleanup/search_matcher.h"

namespace tidewell {

struct AppInfo;
struct CleanupReport;
struct LeftoverGroup;

// The texts a search looks through for each kind of row: what the user sees,
// in English (raw values, English titles and sentences).
std::vector<std::string> searchFields(const AppInfo& app);
std::vector<std::string> searchFields(const LeftoverGroup& group);
std::vector<std::string> searchFields(const CleanupReport& report);

bool matchesSearch(const AppInfo& app, std::string_view query);

// A report's date as its row shows it, in local time: "Dec 4, 2026 at 11:30:00 AM".
std::string reportDateText(std::chrono::system_clock::time_point date);

}  // namespace tidewell
