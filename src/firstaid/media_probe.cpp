#include "firstaid/media_probe.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

#include "util/text_helpers.h"

namespace tidewell::FileFirstAidEngine {

namespace {

// A key that is absent or null gives none; any other non-string makes the JSON unusable.
std::optional<std::string> optionalString(const nlohmann::json& object, const char* key) {
    auto found = object.find(key);
    if (found == object.end() || found->is_null()) return std::nullopt;
    if (!found->is_string()) throw std::invalid_argument(key);
    return found->get<std::string>();
}

}  // namespace

std::optional<double> MediaProbe::duration() const {
    if (!format || !format->duration) return std::nullopt;
    const std::string text = text_helpers::trimmed(*format->duration);
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::vector<MediaProbe::Stream> MediaProbe::playableStreams() const {
    std::vector<Stream> playable;
    for (const auto& stream : streams) {
        if (stream.codecType == "video" || stream.codecType == "audio") playable.push_back(stream);
    }
    return playable;
}

std::optional<MediaProbe> MediaProbe::decode(std::string_view json) {
    try {
        const auto root = nlohmann::json::parse(json);
        if (!root.is_object() || !root.contains("streams") || !root["streams"].is_array()) return std::nullopt;
        MediaProbe probe;
        for (const auto& item : root["streams"]) {
            if (!item.is_object()) return std::nullopt;
            probe.streams.push_back({optionalString(item, "codec_type"), optionalString(item, "codec_name")});
        }
        if (auto format = root.find("format"); format != root.end() && !format->is_null()) {
            if (!format->is_object()) return std::nullopt;
            probe.format = Format{optionalString(*format, "duration")};
        }
        return probe;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}  // namespace tidewell::FileFirstAidEngine
