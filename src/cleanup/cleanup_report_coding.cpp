#include "cleanup/cleanup_report_coding.h"

#include "util/date_codings.h"
#include "util/json_members.h"
#include "util/string_helpers.h"

namespace tidewell {

using nlohmann::json;

namespace {

std::optional<std::vector<std::string>> decodeStrings(const json& value) {
    if (!value.is_array()) return std::nullopt;
    std::vector<std::string> strings;
    for (const json& element : value) {
        if (!element.is_string()) return std::nullopt;
        strings.push_back(element.get<std::string>());
    }
    return strings;
}

std::optional<std::chrono::system_clock::time_point> decodeDate(const json& value, ReportDateEncoding dates) {
    if (dates == ReportDateEncoding::iso8601)
        return value.is_string() ? parseIso8601(value.get<std::string>()) : std::nullopt;
    if (!value.is_number()) return std::nullopt;
    const double seconds = value.get<double>();
    // Far outside the clock's range the conversion would overflow.
    if (!(seconds > -1e11 && seconds < 1e11)) return std::nullopt;
    return dateFromSecondsSinceReferenceDate(seconds);
}

}  // namespace

json encodeCleanupReport(const CleanupReport& report, ReportDateEncoding dates) {
    json object = json::object();
    object["id"] = report.id;
    object["date"] = dates == ReportDateEncoding::iso8601 ? json(iso8601String(report.date))
                                                          : json(secondsSinceReferenceDate(report.date));
    object["appName"] = report.appName;
    object["movedItems"] = report.movedItems;
    object["failedItems"] = report.failedItems;
    object["recoveredBytes"] = report.recoveredBytes;
    return object;
}

std::optional<CleanupReport> decodeCleanupReport(const json& object, ReportDateEncoding dates) {
    if (!object.is_object()) return std::nullopt;
    const json* id = jsonMember(object, "id");
    const json* date = jsonMember(object, "date");
    const json* appName = jsonMember(object, "appName");
    const json* moved = jsonMember(object, "movedItems");
    const json* failed = jsonMember(object, "failedItems");
    const json* recovered = jsonMember(object, "recoveredBytes");
    if (!id || !date || !appName || !moved || !failed || !recovered) return std::nullopt;
    if (!id->is_string() || !tidewellIsHyphenatedUUID(id->get_ref<const std::string&>()) || !appName->is_string())
        return std::nullopt;
    auto decodedDate = decodeDate(*date, dates);
    auto movedItems = decodeStrings(*moved);
    auto failedItems = decodeStrings(*failed);
    auto recoveredBytes = jsonInt64(*recovered);
    if (!decodedDate || !movedItems || !failedItems || !recoveredBytes) return std::nullopt;
    return CleanupReport{id->get<std::string>(),  *decodedDate,   appName->get<std::string>(), std::move(*movedItems),
                         std::move(*failedItems), *recoveredBytes};
}

std::string prettyJSON(const json& value) {
    return value.dump(2, ' ', false, json::error_handler_t::replace);
}

}  // namespace tidewell
