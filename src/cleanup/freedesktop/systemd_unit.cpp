#include "cleanup/freedesktop/systemd_unit.h"

#include <algorithm>

namespace tidewell::Freedesktop {

namespace {

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\r";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// The logical lines: physical lines joined where one ends in "\".
std::vector<std::string> logicalLines(std::string_view text) {
    std::vector<std::string> lines;
    std::string pending;
    bool continued = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (continued && (line.starts_with('#') || line.starts_with(';'))) continue;  // comments inside a joined line
        const bool joins = line.ends_with('\\');
        if (joins) line.remove_suffix(1);
        pending += line;
        if (joins) {
            pending += ' ';
            continued = true;
            continue;
        }
        lines.push_back(std::move(pending));
        pending.clear();
        continued = false;
    }
    if (!pending.empty()) lines.push_back(std::move(pending));
    return lines;
}

std::vector<std::string> words(std::string_view text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    while ((start = text.find_first_not_of(" \t", start)) != std::string_view::npos) {
        const std::size_t end = text.find_first_of(" \t", start);
        result.emplace_back(text.substr(start, end - start));
        start = end;
    }
    return result;
}

}  // namespace

UnitFile parseUnitFile(std::string_view text) {
    UnitFile unit;
    std::string section;
    for (const std::string& line : logicalLines(text)) {
        const std::string_view view = trimmed(line);
        if (view.empty() || view.starts_with('#') || view.starts_with(';')) continue;
        if (view.starts_with('[')) {
            if (view.ends_with(']')) section = std::string(view.substr(1, view.size() - 2));
            continue;
        }
        const std::size_t equals = view.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = trimmed(view.substr(0, equals));
        const std::string value(trimmed(view.substr(equals + 1)));
        if (section == "Unit" && key == "Description") unit.description = value;
        if (section == "Service" && key == "ExecStart" && (value.empty() || unit.execStart.empty()))
            unit.execStart = value;
        if (section == "Service" && key == "Restart") unit.restart = value;
        if (section == "Install" && key == "WantedBy") {
            if (value.empty()) unit.wantedBy.clear();
            for (std::string& word : words(value)) unit.wantedBy.push_back(std::move(word));
        }
    }
    return unit;
}

bool keepsAlive(const UnitFile& unit) {
    return std::find(std::begin(keepAliveRestarts), std::end(keepAliveRestarts), unit.restart) !=
           std::end(keepAliveRestarts);
}

}  // namespace tidewell::Freedesktop
