#pragma once

#include <optional>
#include <string_view>

namespace tidewell {

// The case of an enumeration whose raw value is raw, searched among cases.
template <typename Enumeration, typename Cases>
std::optional<Enumeration> caseWithRawValue(const Cases& cases, std::string_view raw) {
    for (Enumeration value : cases) {
        if (rawValue(value) == raw) return value;
    }
    return std::nullopt;
}

}  // namespace tidewell
