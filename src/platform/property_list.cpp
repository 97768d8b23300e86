#include "platform/property_list.h"

#include <plist/plist.h>

#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>

#include "platform/property_list_structure_guard.h"

namespace tidewell::platform {

namespace {

using Value = PropertyListValue;

struct NodeDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using OwnedNode = std::unique_ptr<void, NodeDeleter>;

// Property-list dates count seconds from 2001-01-01 00:00:00 UTC.
constexpr std::chrono::seconds referenceDateOffset{978'307'200};

std::optional<Value> convert(plist_t node, int depth);

// Builds the optional in place: moving a finished variant into an optional
// trips GCC 12's maybe-uninitialized analysis at -O3.
template <typename T>
std::optional<Value> made(T&& content) {
    std::optional<Value> result(std::in_place);
    result->value = std::forward<T>(content);
    return result;
}

std::optional<Value> convertArray(plist_t node, int depth) {
    Value::Array array;
    const std::uint32_t count = plist_array_get_size(node);
    array.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        // An element of an unsupported type is left out; the rest stays usable.
        if (auto element = convert(plist_array_get_item(node, i), depth + 1)) array.push_back(std::move(*element));
    }
    return made(std::move(array));
}

std::optional<Value> convertDictionary(plist_t node, int depth) {
    Value::Dictionary dictionary;
    plist_dict_iter iterator = nullptr;
    plist_dict_new_iter(node, &iterator);
    if (iterator == nullptr) return std::nullopt;
    for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, iterator, &key, &item);
        if (item == nullptr) {
            std::free(key);
            break;
        }
        std::string keyText = key != nullptr ? key : "";
        std::free(key);
        if (auto converted = convert(item, depth + 1)) dictionary.insert_or_assign(keyText, std::move(*converted));
    }
    std::free(iterator);
    return made(std::move(dictionary));
}

std::optional<Value> convertScalar(plist_t node) {
    switch (plist_get_node_type(node)) {
        case PLIST_BOOLEAN: {
            std::uint8_t flag = 0;
            plist_get_bool_val(node, &flag);
            return made(flag != 0);
        }
        case PLIST_UINT: {
            std::uint64_t number = 0;
            plist_get_uint_val(node, &number);
            // Negative integers come back as their two's-complement bits.
            return made(static_cast<std::int64_t>(number));
        }
        case PLIST_REAL: {
            double number = 0;
            plist_get_real_val(node, &number);
            return made(number);
        }
        case PLIST_STRING: {
            std::uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            return made(text != nullptr ? std::string(text, length) : std::string());
        }
        case PLIST_DATE: {
            std::int32_t seconds = 0, microseconds = 0;
            plist_get_date_val(node, &seconds, &microseconds);
            return made(Value::Date(referenceDateOffset + std::chrono::seconds(seconds) +
                                    std::chrono::microseconds(microseconds)));
        }
        case PLIST_DATA: {
            std::uint64_t length = 0;
            const char* data = plist_get_data_ptr(node, &length);
            const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
            return made(data != nullptr ? Value::Data(bytes, bytes + length) : Value::Data());
        }
        default:
            return std::nullopt;  // keys, UIDs and unknown nodes carry nothing the inventory reads
    }
}

std::optional<Value> convert(plist_t node, int depth) {
    if (node == nullptr) return std::nullopt;
    // `depth` counts containers; the structure guard has already capped it, this keeps the recursion honest.
    switch (plist_get_node_type(node)) {
        case PLIST_ARRAY:
            if (depth > PropertyListLimits::maximumDepth) return std::nullopt;
            return convertArray(node, depth);
        case PLIST_DICT:
            if (depth > PropertyListLimits::maximumDepth) return std::nullopt;
            return convertDictionary(node, depth);
        default:
            return convertScalar(node);
    }
}

bool isBinary(std::span<const std::uint8_t> bytes) {
    static constexpr std::string_view magic = "bplist00";
    return bytes.size() >= magic.size() &&
           std::string_view(reinterpret_cast<const char*>(bytes.data()), magic.size()) == magic;
}

}  // namespace

std::optional<PropertyListValue> parsePropertyList(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > PropertyListLimits::maximumFileBytes) return std::nullopt;
    const bool binary = isBinary(bytes);
    const bool withinLimits =
        binary
            ? binaryPropertyListWithinLimits(bytes, PropertyListLimits::maximumDepth, PropertyListLimits::maximumNodes)
            : xmlPropertyListWithinLimits(bytes, PropertyListLimits::maximumDepth, PropertyListLimits::maximumNodes);
    if (!withinLimits) return std::nullopt;
    plist_t root = nullptr;
    const auto* data = reinterpret_cast<const char*>(bytes.data());
    const auto length = static_cast<std::uint32_t>(bytes.size());
    if (binary)
        plist_from_bin(data, length, &root);
    else
        plist_from_xml(data, length, &root);
    OwnedNode owned(root);
    if (root == nullptr) return std::nullopt;
    return convert(root, 1);
}

std::optional<PropertyListValue> readPropertyListFile(const std::filesystem::path& path) {
    // Only regular files: a pipe or device named like a list would block or never end.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    constexpr std::size_t chunk = 64 * 1024;
    while (file) {
        const std::size_t used = bytes.size();
        if (used > PropertyListLimits::maximumFileBytes) return std::nullopt;
        bytes.resize(used + chunk);
        file.read(reinterpret_cast<char*>(bytes.data() + used), chunk);
        bytes.resize(used + static_cast<std::size_t>(file.gcount()));
    }
    if (file.bad()) return std::nullopt;
    return parsePropertyList(bytes);
}

std::optional<PropertyListValue::Dictionary> readPropertyListDictionary(const std::filesystem::path& path) {
    auto value = readPropertyListFile(path);
    if (!value) return std::nullopt;
    auto* dictionary = std::get_if<PropertyListValue::Dictionary>(&value->value);
    if (dictionary == nullptr) return std::nullopt;
    return std::move(*dictionary);
}

const PropertyListValue* findValue(const PropertyListValue::Dictionary& dictionary, std::string_view key) {
    auto found = dictionary.find(key);
    return found == dictionary.end() ? nullptr : &found->second;
}

std::optional<std::string> stringValue(const PropertyListValue::Dictionary& dictionary, std::string_view key) {
    const auto* value = findValue(dictionary, key);
    if (value == nullptr) return std::nullopt;
    if (const auto* text = std::get_if<std::string>(&value->value)) return *text;
    return std::nullopt;
}

std::optional<bool> boolValue(const PropertyListValue::Dictionary& dictionary, std::string_view key) {
    const auto* value = findValue(dictionary, key);
    if (value == nullptr) return std::nullopt;
    if (const auto* flag = std::get_if<bool>(&value->value)) return *flag;
    return std::nullopt;
}

}  // namespace tidewell::platform
