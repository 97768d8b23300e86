#include "system_mounts.h"

#include <sys/sysmacros.h>

#include <array>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace tidewell::helper {

namespace {

constexpr std::array<std::string_view, 4> systemMountPoints = {"/", "/boot", "/usr", "/home"};

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

bool holdsSystemFileSystem(const struct stat& device, const std::filesystem::path& devicePath,
                           const std::filesystem::path& mountTable) {
    std::ifstream table(mountTable);
    if (!table) return true;
    const std::string deviceNumbers =
        std::to_string(major(device.st_rdev)) + ":" + std::to_string(minor(device.st_rdev));
    for (std::string line; std::getline(table, line);) {
        auto entry = parseMountLine(line);
        if (!entry) continue;
        bool isSystem = false;
        for (auto point : systemMountPoints) isSystem = isSystem || entry->mountPoint == point;
        if (!isSystem) continue;
        if (S_ISBLK(device.st_mode) && entry->deviceNumbers == deviceNumbers) return true;
        if (entry->source == devicePath.string() || sameFile(entry->source, devicePath)) return true;
    }
    return false;
}

}  // namespace tidewell::helper
