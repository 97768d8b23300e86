#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tidewell::platform {

// One value of a property list (Info.plist, launchd items), decoded into std
// types so callers never see the parser's own node types.
struct PropertyListValue {
    using Array = std::vector<PropertyListValue>;
    using Dictionary = std::map<std::string, PropertyListValue, std::less<>>;
    using Date = std::chrono::system_clock::time_point;
    using Data = std::vector<std::uint8_t>;

    std::variant<bool, std::int64_t, double, std::string, Date, Data, Array, Dictionary> value;

    bool operator==(const PropertyListValue&) const = default;
};

namespace PropertyListLimits {
// Property lists the inventory reads are small; anything larger is not one of them.
inline constexpr std::size_t maximumFileBytes = 8 * 1024 * 1024;
// Nesting depth and node count (shared objects of a binary list counted each
// time they are reached), checked before the bytes reach the decoder.
inline constexpr int maximumDepth = 128;
inline constexpr std::uint64_t maximumNodes = 1'000'000;
}  // namespace PropertyListLimits

// XML or binary ("bplist00") property list; none for anything else, for lists
// nested or repeated beyond the limits, and for unreadable files.
std::optional<PropertyListValue> parsePropertyList(std::span<const std::uint8_t> bytes);
std::optional<PropertyListValue> readPropertyListFile(const std::filesystem::path& path);

// The root dictionary of a property-list file; none when the file is not one.
std::optional<PropertyListValue::Dictionary> readPropertyListDictionary(const std::filesystem::path& path);

// Typed look-ups: none when the key is absent or holds another type.
const PropertyListValue* findValue(const PropertyListValue::Dictionary& dictionary, std::string_view key);
std::optional<std::string> stringValue(const PropertyListValue::Dictionary& dictionary, std::string_view key);
std::optional<bool> boolValue(const PropertyListValue::Dictionary& dictionary, std::string_view key);

}  // namespace tidewell::platform
