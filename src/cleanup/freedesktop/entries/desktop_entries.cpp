#include "cleanup/freedesktop/entries/desktop_entries.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <system_error>

#include "cleanup/folder_listing.h"
#include "cleanup/freedesktop/entries/key_file.h"
#include "cleanup/freedesktop/startup_command.h"
#include "platform/file_properties.h"
#include "platform/folder_locations.h"
#include "platform/folders.h"
#include "platform/xdg_folders.h"
#include "util/path_containment.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;

namespace {

constexpr const char* group = "Desktop Entry";

std::string stringValue(GKeyFile* file, const char* key, bool localized) {
    gchar* value = localized ? g_key_file_get_locale_string(file, group, key, nullptr, nullptr)
                             : g_key_file_get_string(file, group, key, nullptr);
    if (value == nullptr) return {};
    std::string text = value;
    g_free(value);
    return text;
}

bool isTrue(GKeyFile* file, const char* key) {
    return g_key_file_get_boolean(file, group, key, nullptr) == TRUE;
}

// The program Exec starts: "env NAME=value ... program" starts the program, not env.
std::string launchedProgram(const std::vector<std::string>& exec) {
    std::size_t index = 0;
    if (index < exec.size() && fs::path(exec[index]).filename() == "env") {
        ++index;
        while (index < exec.size() && (exec[index].find('=') != std::string::npos || exec[index].starts_with("-")))
            ++index;
    }
    return index < exec.size() ? exec[index] : std::string();
}

}  // namespace

std::vector<fs::path> applicationsFolders(const std::vector<fs::path>& exportedFolders) {
    std::vector<fs::path> folders{platform::XDGFolders::dataHome() / "applications"};
    for (const fs::path& dataDir : platform::XDGFolders::dataDirs()) folders.push_back(dataDir / "applications");
    for (const fs::path& folder : exportedFolders) {
        const fs::path normal = folder.lexically_normal();
        if (std::find_if(folders.begin(), folders.end(),
                         [&](const fs::path& listed) { return listed.lexically_normal() == normal; }) == folders.end())
            folders.push_back(folder);
    }
    return folders;
}

std::optional<fs::path> resolveProgram(std::string_view program) {
    if (program.empty()) return std::nullopt;
    if (program.front() == '/') {
        const fs::path path = platform::FolderLocations::homeOrSystemPath(fs::path(program));
        if (platform::isExecutableFile(path)) return path;
        return std::nullopt;
    }
    if (program.find('/') != std::string_view::npos) return std::nullopt;
    for (const fs::path& folder : platform::FolderLocations::executableSearchFolders("/usr/local/bin:/usr/bin:/bin")) {
        fs::path candidate = folder / std::string(program);
        if (platform::isExecutableFile(candidate)) return candidate;
    }
    return std::nullopt;
}

std::optional<DesktopEntry> readDesktopEntry(const fs::path& path, const std::string& id) {
    KeyFile file(g_key_file_new());
    if (!g_key_file_load_from_file(file.get(), path.c_str(), G_KEY_FILE_NONE, nullptr)) return std::nullopt;
    if (stringValue(file.get(), "Type", false) != "Application") return std::nullopt;
    if (isTrue(file.get(), "NoDisplay") || isTrue(file.get(), "Hidden")) return std::nullopt;
    // "TryExec: path to an executable file on disk used to determine if the program is
    // actually installed. If the path is not an absolute path, the file is looked up in
    // the $PATH environment variable."
    const std::string tryExec = stringValue(file.get(), "TryExec", false);
    if (!tryExec.empty() && !resolveProgram(tryExec)) return std::nullopt;
    DesktopEntry entry;
    entry.id = id;
    entry.path = path;
    entry.applicationsFolder = path.parent_path();
    entry.name = stringValue(file.get(), "Name", true);
    if (entry.name.empty()) return std::nullopt;
    entry.exec = execWords(stringValue(file.get(), "Exec", false));
    entry.executable = resolveProgram(launchedProgram(entry.exec));
    entry.icon = stringValue(file.get(), "Icon", false);
    return entry;
}

std::vector<DesktopEntry> desktopEntries(const std::vector<fs::path>& exportedFolders) {
    std::vector<DesktopEntry> entries;
    std::set<std::string> seenIDs;
    for (const fs::path& folder : applicationsFolders(exportedFolders)) {
        std::error_code error;
        std::map<std::string, fs::path> found;  // id -> path, sorted for a stable order
        fs::recursive_directory_iterator walk(folder, fs::directory_options::skip_permission_denied, error);
        for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
            const fs::path& path = walk->path();
            if (path.extension() != ".desktop" || !walk->is_regular_file(error)) continue;
            std::string id = path.lexically_relative(folder).generic_string();
            for (char& character : id)
                if (character == '/') character = '-';
            found.emplace(id, path);
        }
        for (const auto& [id, path] : found) {
            // "If multiple files have the same desktop file id, the first one in the
            // $XDG_DATA_DIRS precedence order is used."
            if (!seenIDs.insert(id).second) continue;
            if (std::optional<DesktopEntry> entry = readDesktopEntry(path, id)) entries.push_back(*entry);
        }
    }
    return entries;
}

std::optional<fs::path> iconFile(const std::string& icon) {
    if (icon.empty()) return std::nullopt;
    std::error_code error;
    if (icon.front() == '/') {
        const fs::path path = platform::FolderLocations::homeOrSystemPath(fs::path(icon));
        if (fs::is_regular_file(path, error)) return path;
        return std::nullopt;
    }
    static const char* const sizes[] = {"scalable", "512x512", "256x256", "128x128", "96x96", "64x64",
                                        "48x48",    "32x32",   "24x24",   "22x22",   "16x16"};
    std::vector<fs::path> dataFolders{platform::XDGFolders::dataHome()};
    for (const fs::path& dataDir : platform::XDGFolders::dataDirs()) dataFolders.push_back(dataDir);
    for (const char* size : sizes) {
        for (const fs::path& dataFolder : dataFolders) {
            for (const char* extension : {".png", ".svg"}) {
                fs::path path = dataFolder / "icons/hicolor" / size / "apps" / (icon + extension);
                if (fs::is_regular_file(path, error)) return path;
            }
        }
    }
    for (const fs::path& dataFolder : dataFolders) {
        for (const char* extension : {".png", ".svg"}) {
            fs::path path = dataFolder / "pixmaps" / (icon + extension);
            if (fs::is_regular_file(path, error)) return path;
        }
    }
    return std::nullopt;
}

std::vector<fs::path> userIconFiles(const std::string& icon) {
    const fs::path dataHome = platform::XDGFolders::dataHome();
    const std::vector<fs::path> iconFolders{dataHome / "icons", platform::homeDirectory() / ".icons"};
    std::vector<fs::path> found;
    std::error_code error;
    if (icon.empty()) return found;
    if (icon.front() == '/') {
        const fs::path path = fs::path(icon).lexically_normal();
        for (const fs::path& folder : {iconFolders[0], iconFolders[1], dataHome / "pixmaps"})
            if (isPathInside(path.native(), folder.native()) && fs::is_regular_file(fs::symlink_status(path, error)))
                found.push_back(path);
        return found;
    }
    if (icon.find('/') != std::string::npos) return found;
    const auto isIconOf = [&](const fs::path& path) {
        static const std::set<std::string> extensions{".png", ".svg", ".svgz", ".xpm"};
        return path.stem() == icon && extensions.contains(path.extension().string()) &&
               fs::is_regular_file(fs::symlink_status(path, error));
    };
    for (const fs::path& folder : iconFolders) {
        // <theme>/<size>/<context>/<file>, never deeper, never through a link.
        fs::recursive_directory_iterator walk(folder, error), end;
        for (; !error && walk != end; walk.increment(error)) {
            if (walk.depth() >= 3) walk.disable_recursion_pending();
            if (isIconOf(walk->path())) found.push_back(walk->path());
        }
        error.clear();
    }
    for (const fs::path& child : AppScanner::visibleChildren(dataHome / "pixmaps"))
        if (isIconOf(child)) found.push_back(child);
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace tidewell::Freedesktop
