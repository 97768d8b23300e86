#include "cleanup/report_store.h"

#include <syslog.h>

#include <algorithm>
#include <exception>
#include <fstream>
#include <sstream>

#include "cleanup/cleanup_report_coding.h"
#include "platform/folders.h"
#include "util/atomic_file.h"

namespace tidewell::ReportStore {

using nlohmann::json;

namespace {

std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (file.bad()) return std::nullopt;
    return bytes.str();
}

std::string encodedHistory(const std::vector<CleanupReport>& reports) {
    json array = json::array();
    const std::size_t count = std::min(reports.size(), Limits::storedReports);
    for (std::size_t index = 0; index < count; ++index)
        array.push_back(encodeCleanupReport(reports[index], ReportDateEncoding::secondsSinceReferenceDate));
    return prettyJSON(array);
}

}  // namespace

std::filesystem::path fileURL() {
    return platform::applicationDataDirectory() / "cleanup-history.json";
}

std::vector<CleanupReport> load() {
    const std::optional<std::string> bytes = readWholeFile(fileURL());
    return bytes ? decodeHistory(*bytes) : std::vector<CleanupReport>{};
}

std::vector<CleanupReport> decodeHistory(std::string_view bytes) {
    const json array = json::parse(bytes, nullptr, false);
    if (!array.is_array()) return {};
    std::vector<CleanupReport> reports;
    for (const json& element : array) {
        std::optional<CleanupReport> report =
            decodeCleanupReport(element, ReportDateEncoding::secondsSinceReferenceDate);
        // One bad report spoils the whole file, as a partial history would mislead.
        if (!report) return {};
        reports.push_back(std::move(*report));
    }
    return reports;
}

void logToSystemLog(const std::string& line) {
    ::syslog(LOG_USER | LOG_ERR, "%s", line.c_str());
}

void save(const std::vector<CleanupReport>& reports) {
    save(reports, logToSystemLog);
}

void save(const std::vector<CleanupReport>& reports, const FailureLog& log) {
    std::string failure;
    try {
        writeFileAtomically(fileURL(), encodedHistory(reports));
        return;
    } catch (const std::exception& error) {
        failure = error.what();
    } catch (...) {
        failure = "unknown error";
    }
    if (log) log("Tidewell failed to save reports: " + failure);
}

}  // namespace tidewell::ReportStore
