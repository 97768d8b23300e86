#pragma once

#include <cstdint>
#include <limits>
#include <optional>

#include <nlohmann/json.hpp>

// Small reads shared by the JSON codings of stored files.
namespace tidewell {

// The member named key, or null when the object has none (or is no object).
inline const nlohmann::json* jsonMember(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

// An integer as int64; none for other types and for unsigned values above its maximum.
inline std::optional<std::int64_t> jsonInt64(const nlohmann::json& value) {
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
        return static_cast<std::int64_t>(number);
    }
    if (value.is_number_integer()) return value.get<std::int64_t>();
    return std::nullopt;
}

}  // namespace tidewell
