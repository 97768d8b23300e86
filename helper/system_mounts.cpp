#include "system_mounts.h"

#include <array>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace tidewell::helper {

namespace {

constexpr std::array<std::string_view, 7> systemFolders = {"/boot", "/usr", "/var", "/home", "/srv", "/opt", "/tmp"};

bool isAtOrBelow(std::string_view path, std::string_view folder) {
    return path == folder || (path.starts_with(folder) && path.size() > folder.size() && path[folder.size()] == '/');
}

// /media/<user>/... and /run/media/<user>/...: where the desktop mounts a user's drives.
bool isUserMediaFolder(std::string_view path) {
    for (std::string_view media : {"/media/", "/run/media/"}) {
        if (!path.starts_with(media)) continue;
        const std::string_view user = path.substr(media.size());
        if (!user.empty() && user.front() != '/' && !user.starts_with("..")) return true;
    }
    return false;
}

// The mount table writes blanks and a few other bytes as three octal digits.
std::string unescapeMountField(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string digits = field.substr(i + 1, 3);
            if (digits.find_first_not_of("01234567") == std::string::npos) {
                out.push_back(static_cast<char>(std::stoi(digits, nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

struct MountEntry {
    std::string deviceNumbers;  // "major:minor"
    std::string mountPoint;
    std::string source;
};

std::optional<MountEntry> parseMountLine(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> fields;
    for (std::string field; stream >> field;) fields.push_back(field);
    std::size_t separator = 6;
    while (separator < fields.size() && fields[separator] != "-") ++separator;
    if (fields.size() < 5 || separator + 2 >= fields.size()) return std::nullopt;
    return MountEntry{fields[2], unescapeMountField(fields[4]), unescapeMountField(fields[separator + 2])};
}

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

}  // namespace

bool isSystemMountPoint(std::string_view mountPoint) {
    if (mountPoint == "/") return true;
    if (isUserMediaFolder(mountPoint)) return false;
    for (auto folder : systemFolders)
        if (isAtOrBelow(mountPoint, folder)) return true;
    return false;
}

bool holdsSystemFileSystem(const std::string& deviceNumbers, const std::filesystem::path& devicePath,
                           const std::filesystem::path& mountTable) {
    std::ifstream table(mountTable);
    if (!table) return true;
    for (std::string line; std::getline(table, line);) {
        auto entry = parseMountLine(line);
        if (!entry || !isSystemMountPoint(entry->mountPoint)) continue;
        if (entry->deviceNumbers == deviceNumbers) return true;
        if (entry->source == devicePath.string() || sameFile(entry->source, devicePath)) return true;
    }
    return false;
}

}  // namespace tidewell::helper
