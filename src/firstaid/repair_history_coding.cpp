#include "firstaid/repair_history_coding.h"

#include <nlohmann/json.hpp>

#include <cmath>

#include "util/base64_text.h"
#include "util/date_codings.h"
#include "util/json_members.h"
#include "util/string_helpers.h"

namespace tidewell {

using nlohmann::json;

namespace {

// Dates further out than this cannot be held by the clock; such a file is not ours.
constexpr double kLargestDateSeconds = 1e11;

json encodeRecord(const RepairHistoryRecord& record) {
    json object = json::object();
    object["id"] = record.id;
    object["sourceName"] = record.sourceName;
    object["outputName"] = record.outputName;
    if (record.outputBookmark) object["outputBookmark"] = base64Encoded(*record.outputBookmark);
    object["kindRawValue"] = record.kindRawValue;
    object["stateRawValue"] = record.stateRawValue;
    object["sourceSizeBytes"] = record.sourceSizeBytes;
    object["outputSizeBytes"] = record.outputSizeBytes;
    object["completedAt"] = secondsSinceReferenceDate(record.completedAt);
    object["message"] = record.message;
    return object;
}

bool readString(const json& object, const char* key, std::string& into) {
    const json* value = jsonMember(object, key);
    if (!value || !value->is_string()) return false;
    into = value->get<std::string>();
    return true;
}

bool readInt64(const json& object, const char* key, std::int64_t& into) {
    const json* value = jsonMember(object, key);
    const std::optional<std::int64_t> number = value ? jsonInt64(*value) : std::nullopt;
    if (!number) return false;
    into = *number;
    return true;
}

bool readDate(const json& object, const char* key, std::chrono::system_clock::time_point& into) {
    const json* value = jsonMember(object, key);
    if (!value || !value->is_number()) return false;
    const double seconds = value->get<double>();
    if (!std::isfinite(seconds) || std::fabs(seconds) > kLargestDateSeconds) return false;
    into = dateFromSecondsSinceReferenceDate(seconds);
    return true;
}

// Absent or null means no bookmark; anything but Base64 text spoils the record.
bool readBookmark(const json& object, std::optional<std::vector<std::uint8_t>>& into) {
    const json* value = jsonMember(object, "outputBookmark");
    if (!value || value->is_null()) return true;
    if (!value->is_string()) return false;
    into = base64Decoded(value->get_ref<const std::string&>());
    return into.has_value();
}

std::optional<RepairHistoryRecord> decodeRecord(const json& object) {
    if (!object.is_object()) return std::nullopt;
    RepairHistoryRecord record;
    const bool complete =
        readString(object, "id", record.id) && tidewellIsHyphenatedUUID(record.id) &&
        readString(object, "sourceName", record.sourceName) && readString(object, "outputName", record.outputName) &&
        readBookmark(object, record.outputBookmark) && readString(object, "kindRawValue", record.kindRawValue) &&
        readString(object, "stateRawValue", record.stateRawValue) &&
        readInt64(object, "sourceSizeBytes", record.sourceSizeBytes) &&
        readInt64(object, "outputSizeBytes", record.outputSizeBytes) &&
        readDate(object, "completedAt", record.completedAt) && readString(object, "message", record.message);
    if (!complete) return std::nullopt;
    return record;
}

}  // namespace

std::string encodeRepairHistory(const std::vector<RepairHistoryRecord>& records) {
    json array = json::array();
    for (const RepairHistoryRecord& record : records) array.push_back(encodeRecord(record));
    return array.dump(2, ' ', false, json::error_handler_t::replace);
}

std::optional<std::vector<RepairHistoryRecord>> decodeRepairHistory(std::string_view text) {
    const json array = json::parse(text, nullptr, false);
    if (!array.is_array()) return std::nullopt;
    std::vector<RepairHistoryRecord> records;
    records.reserve(array.size());
    for (const json& element : array) {
        std::optional<RepairHistoryRecord> record = decodeRecord(element);
        // One bad record spoils the whole file, as the platform decoder would.
        if (!record) return std::nullopt;
        records.push_back(std::move(*record));
    }
    return records;
}

}  // namespace tidewell
