#include "cleanup/freedesktop/startup_entries.h"

#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "cleanup/folder_listing.h"
#include "cleanup/freedesktop/entries/key_file.h"
#include "cleanup/freedesktop/startup_command.h"
#include "cleanup/freedesktop/systemd_unit.h"
#include "platform/folder_locations.h"
#include "platform/xdg_folders.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;
namespace xdg = platform::XDGFolders;

namespace {

constexpr const char* desktopGroup = "Desktop Entry";

std::optional<std::string> stringValue(GKeyFile* file, const char* key, bool localized) {
    gchar* value = localized ? g_key_file_get_locale_string(file, desktopGroup, key, nullptr, nullptr)
                             : g_key_file_get_string(file, desktopGroup, key, nullptr);
    if (value == nullptr) return std::nullopt;
    std::string text(value);
    g_free(value);
    return text;
}

// A boolean key; `fallback` when it is absent or not a boolean.
bool booleanValue(GKeyFile* file, const char* key, bool fallback) {
    GError* error = nullptr;
    const gboolean value = g_key_file_get_boolean(file, desktopGroup, key, &error);
    if (error != nullptr) {
        g_error_free(error);
        return fallback;
    }
    return value != FALSE;
}

// Children of `folder` ending in `extension` whose names an earlier folder has not taken
// already (a user entry hides the system entry of the same name).
std::vector<fs::path> unseenChildren(const fs::path& folder, const std::string& extension,
                                     std::set<std::string>& seenNames) {
    std::vector<fs::path> found;
    for (const fs::path& child : AppScanner::visibleChildren(folder)) {
        if (AppScanner::pathExtension(child) != extension) continue;
        if (seenNames.insert(child.filename().string()).second) found.push_back(child);
    }
    return found;
}

void addAutostartItems(std::vector<LaunchAgentInfo>& items, const fs::path& folder, bool requiresAdmin,
                       std::set<std::string>& seenNames) {
    for (const fs::path& path : unseenChildren(folder, "desktop", seenNames)) {
        const auto entry = readAutostartEntry(path);
        // A hidden entry is no startup item but the switch that keeps one of that name off.
        if (!entry || entry->hidden) continue;
        const std::string program = programOf(entry->command);
        if (program.empty()) continue;
        items.push_back({path.string(), entry->name, path.string(), program, false, !entry->hidden && entry->enabled,
                         requiresAdmin, std::nullopt});
    }
}

std::string readText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Enabled: a "<target>.wants/<unit>" entry beside the unit file.
bool isEnabledUnit(const fs::path& folder, const std::string& unitName) {
    for (const fs::path& child : AppScanner::visibleChildren(folder)) {
        std::error_code error;
        if (AppScanner::pathExtension(child) == "wants" && fs::exists(fs::symlink_status(child / unitName, error)))
            return true;
    }
    return false;
}

void addUnitItems(std::vector<LaunchAgentInfo>& items, const fs::path& folder, bool requiresAdmin,
                  std::set<std::string>& seenNames) {
    for (const fs::path& path : unseenChildren(folder, "service", seenNames)) {
        std::error_code error;
        if (!fs::is_regular_file(path, error)) continue;
        const UnitFile unit = parseUnitFile(readText(path));
        const std::string program = programOf(commandWords(unit.execStart));
        if (program.empty()) continue;
        const std::string unitName = path.filename().string();
        items.push_back({path.string(), unitName, path.string(), program, keepsAlive(unit),
                         isEnabledUnit(folder, unitName), requiresAdmin, std::nullopt});
    }
}

std::string fileName(const std::string& path) {
    return fs::path(path).filename().string();
}

bool namesExecutable(const std::string& program, const LinuxApp& app) {
    if (!app.executable || app.executable->empty()) return false;
    const std::string executableName = app.executable->filename().string();
    // A sandboxed app's recorded executable may be its launcher, which starts every app.
    if (executableName == "flatpak" || executableName == "snap") return false;
    return program == app.executable->string() || fileName(program) == executableName;
}

}  // namespace

std::optional<AutostartEntry> readAutostartEntry(const fs::path& path) {
    KeyFile file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr)) return std::nullopt;
    if (!g_key_file_has_group(file.get(), desktopGroup)) return std::nullopt;
    const auto exec = stringValue(file.get(), "Exec", false);
    if (!exec) return std::nullopt;
    AutostartEntry entry;
    entry.name = stringValue(file.get(), "Name", true).value_or(AppScanner::nameWithoutExtension(path));
    entry.command = commandWords(*exec);
    entry.hidden = booleanValue(file.get(), "Hidden", false);
    entry.enabled = booleanValue(file.get(), "X-GNOME-Autostart-enabled", true);
    if (entry.command.empty()) return std::nullopt;
    return entry;
}

std::vector<LaunchAgentInfo> startupItems() {
    std::vector<LaunchAgentInfo> items;
    std::set<std::string> autostartNames;
    std::set<std::string> unitNames;
    addAutostartItems(items, xdg::configHome() / "autostart", false, autostartNames);
    addUnitItems(items, xdg::configHome() / "systemd/user", false, unitNames);
    for (const fs::path& folder : xdg::configDirs())
        addAutostartItems(items, folder / "autostart", true, autostartNames);
    for (const char* folder : {"/etc/systemd/user", "/usr/lib/systemd/user"})
        addUnitItems(items, platform::FolderLocations::systemPath(folder), true, unitNames);
    return items;
}

bool startsApp(const LaunchAgentInfo& item, const LinuxApp& app) {
    if (item.program.empty()) return false;
    if (namesExecutable(item.program, app)) return true;
    const std::vector<std::string> words = commandWords(item.program);
    if (app.origin == AppOrigin::flatpak && !app.identifier.empty()) {
        // Also the launcher Flatpak exports as <installation>/exports/bin/<id>.
        if (flatpakIDOf(words) == app.identifier || fileName(item.program) == app.identifier) return true;
    }
    if (app.origin == AppOrigin::snap && !app.identifier.empty()) return snapNameOf(words) == app.identifier;
    return false;
}

}  // namespace tidewell::Freedesktop
