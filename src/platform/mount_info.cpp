#include "platform/mount_info.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/disk_information_sources.h"
#include "util/path_containment.h"

namespace tidewell::platform {

namespace {

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t position = 0;
    while (position < line.size()) {
        std::size_t end = line.find(' ', position);
        if (end == std::string_view::npos) end = line.size();
        if (end > position) fields.push_back(line.substr(position, end - position));
        position = end + 1;
    }
    return fields;
}

template <typename Number>
std::optional<Number> parseNumber(std::string_view text) {
    Number value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool isOctalDigit(char c) {
    return c >= '0' && c <= '7';
}

// The kernel writes space, tab, line feed and backslash as \ooo.
std::string unescapeField(std::string_view field) {
    std::string text;
    text.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctalDigit(field[i + 1]) && isOctalDigit(field[i + 2]) &&
            isOctalDigit(field[i + 3])) {
            int value = (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value < 256) {
                text.push_back(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        text.push_back(field[i]);
    }
    return text;
}

std::optional<MountInfoEntry> parseLine(std::string_view line) {
    auto fields = splitFields(line);
    std::size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-") ++separator;
    if (separator + 2 >= fields.size()) return std::nullopt;

    MountInfoEntry entry;
    auto mountID = parseNumber<int>(fields[0]);
    auto parentID = parseNumber<int>(fields[1]);
    std::string_view device = fields[2];
    std::size_t colon = device.find(':');
    if (!mountID || !parentID || colon == std::string_view::npos) return std::nullopt;
    auto major = parseNumber<unsigned>(device.substr(0, colon));
    auto minor = parseNumber<unsigned>(device.substr(colon + 1));
    if (!major || !minor) return std::nullopt;
    if (fields[4].empty() || fields[4].front() != '/') return std::nullopt;

    entry.mountID = *mountID;
    entry.parentID = *parentID;
    entry.deviceMajor = *major;
    entry.deviceMinor = *minor;
    entry.root = unescapeField(fields[3]);
    entry.mountPoint = unescapeField(fields[4]);
    entry.mountOptions = std::string(fields[5]);
    entry.fileSystemType = unescapeField(fields[separator + 1]);
    entry.source = unescapeField(fields[separator + 2]);
    if (separator + 3 < fields.size()) entry.superOptions = std::string(fields[separator + 3]);
    return entry;
}

}  // namespace

bool MountInfoEntry::isReadOnlyMount() const {
    std::stringstream options(mountOptions);
    std::string option;
    while (std::getline(options, option, ','))
        if (option == "ro") return true;
    return false;
}

std::vector<MountInfoEntry> parseMountInfo(std::string_view text) {
    std::vector<MountInfoEntry> entries;
    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t end = text.find('\n', position);
        if (end == std::string_view::npos) end = text.size();
        if (auto entry = parseLine(text.substr(position, end - position))) entries.push_back(std::move(*entry));
        position = end + 1;
    }
    return entries;
}

std::optional<MountInfoEntry> mountContaining(const std::vector<MountInfoEntry>& entries,
                                              const std::filesystem::path& path) {
    const MountInfoEntry* best = nullptr;
    for (const auto& entry : entries) {
        bool inside = entry.mountPoint == "/" ||
                      isPathInside(std::string_view(path.native()), std::string_view(entry.mountPoint));
        if (inside && (best == nullptr || entry.mountPoint.size() >= best->mountPoint.size())) best = &entry;
    }
    if (best == nullptr) return std::nullopt;
    return *best;
}

std::filesystem::path resolvedPath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) absolute = path;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
    if (error) resolved = absolute.lexically_normal();
    std::string text = resolved.string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

std::vector<MountInfoEntry> currentMounts() {
    std::ifstream file(diskInformationSources().mountInfoFile);
    if (!file) return {};
    std::ostringstream text;
    text << file.rdbuf();
    return parseMountInfo(text.str());
}

}  // namespace tidewell::platform
