#include "cleanup/freedesktop/linux_leftovers.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "cleanup/folder_listing.h"
#include "cleanup/freedesktop/deny_list.h"
#include "cleanup/freedesktop/related_files.h"
#include "cleanup/freedesktop/startup_command.h"
#include "cleanup/freedesktop/startup_entries.h"
#include "cleanup/leftover_roots.h"
#include "cleanup/leftover_scan.h"
#include "platform/disk_usage.h"
#include "platform/file_properties.h"
#include "platform/folder_locations.h"
#include "platform/folders.h"
#include "platform/xdg_folders.h"
#include "util/path_containment.h"
#include "util/string_helpers.h"
#include "util/unicode_text.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;
namespace xdg = platform::XDGFolders;
using Kind = CleanupCandidate::Kind;
using Safety = CleanupCandidate::SafetyLevel;

namespace {

// Who may still own an entry of a root.
enum class OwnerTest {
    flatpak,    // an installed Flatpak of that id
    snap,       // an installed snap of that name
    named,      // an installed app, package or PATH executable of that name
    autostart,  // the command the entry runs
};

struct Root {
    AppScanner::LeftoverRoot root;
    OwnerTest owner;
};

std::vector<Root> roots() {
    const fs::path home = platform::homeDirectory();
    const std::string reviewNote = "Settings or data the user may want. Review before selecting.";
    return {
        {{home / ".var/app", Kind::container, "Flatpak data", Safety::likely, true,
          "The app is gone. Its sandbox data is usually safe to move to Trash."},
         OwnerTest::flatpak},
        {{home / "snap", Kind::container, "Snap data", Safety::likely, true,
          "The app is gone. Its snap data is usually safe to move to Trash."},
         OwnerTest::snap},
        {{xdg::cacheHome(), Kind::cache, "Cache", Safety::safe, true, "Cache leftover. Usually safe to move to Trash."},
         OwnerTest::named},
        {{xdg::configHome(), Kind::preferences, "Settings", Safety::review, false, reviewNote}, OwnerTest::named},
        {{xdg::dataHome(), Kind::applicationSupport, "Application data", Safety::review, false,
          "May contain user data. Review before selecting."},
         OwnerTest::named},
        {{xdg::stateHome(), Kind::savedState, "Saved state", Safety::review, false, reviewNote}, OwnerTest::named},
        {{xdg::configHome() / "autostart", Kind::launchAgent, "Autostart entry", Safety::likely, true,
          "Starts a program that no longer exists."},
         OwnerTest::autostart},
    };
}

// The lower-cased names of the executables on PATH.
std::set<std::string> pathExecutables() {
    std::set<std::string> names;
    for (const fs::path& folder : platform::FolderLocations::executableSearchFolders(""))
        for (const fs::path& child : AppScanner::visibleChildren(folder))
            if (platform::isExecutableFile(child)) names.insert(lowercased(child.filename().string()));
    return names;
}

// The names whose owner still exists, lower-cased.
std::set<std::string> ownedNames(const InstalledSoftware& installed) {
    std::set<std::string> names = pathExecutables();
    for (const LinuxApp& app : installed.apps)
        for (const std::string& key : relatedKeys(app)) names.insert(lowercased(key));
    for (const auto* set : {&installed.packageNames, &installed.flatpakIDs, &installed.snapNames})
        for (const std::string& name : *set) names.insert(lowercased(name));
    return names;
}

// "gimprc" and "gimp.conf" are settings of "gimp".
std::vector<std::string> ownerNames(const std::string& name) {
    std::vector<std::string> names{name};
    for (std::string_view suffix : settingsFileSuffixes) {
        if (name.size() > suffix.size() && name.ends_with(suffix))
            names.push_back(name.substr(0, name.size() - suffix.size()));
    }
    return names;
}

bool isReverseDNSLike(const std::string& name) {
    return std::count(name.begin(), name.end(), '.') >= 2;
}

struct Scan {
    const InstalledSoftware& installed;
    std::set<std::string> owned;
    std::map<std::string, std::vector<CleanupCandidate>> candidates;
    std::map<std::string, std::string> displayNames;

    void add(const AppScanner::LeftoverRoot& root, const fs::path& child, const std::string& key,
             const std::string& displayName, const std::string& evidence) {
        const auto values = platform::fileProperties(child);
        if (!values || values->isSymbolicLink) return;
        const std::int64_t size = platform::directorySize(child);
        if (size < 1) return;
        const std::string name = child.filename().string();
        candidates[key].push_back(CleanupCandidate{child.string(), root.kind, name, child.string(), size,
                                                   root.safetyLevel, root.label + " " + evidence, root.defaultSelected,
                                                   true, root.note});
        displayNames.try_emplace(key, displayName);
    }

    void addSandbox(const Root& root, const fs::path& child, const std::set<std::string>& installedNames,
                    const char* what) {
        const std::string name = child.filename().string();
        if (installedNames.contains(name)) return;
        add(root.root, child, lowercased(name), AppScanner::displayNameFromBundleLike(name),
            std::string("name matches ") + what + " " + name);
    }

    void addNamed(const Root& root, const fs::path& child) {
        const std::string name = child.filename().string();
        if (isSharedPlace(name) || tidewellLooksLikeUUID(name)) return;
        const std::vector<std::string> names = ownerNames(name);
        if (std::any_of(names.begin(), names.end(),
                        [&](const std::string& candidate) { return owned.contains(lowercased(candidate)); }))
            return;
        const std::string& base = names.back();
        add(root.root, child, lowercased(base),
            isReverseDNSLike(base) ? AppScanner::displayNameFromBundleLike(base) : base,
            "name matches deleted app name " + base);
    }

    bool commandExists(const std::vector<std::string>& command) const {
        if (const std::string id = flatpakIDOf(command); !id.empty()) return installed.flatpakIDs.contains(id);
        if (const std::string snap = snapNameOf(command); !snap.empty()) return installed.snapNames.contains(snap);
        const fs::path program(command.front());
        if (program.is_absolute())
            return platform::isExecutableFile(platform::FolderLocations::homeOrSystemPath(program));
        return owned.contains(lowercased(program.string()));
    }

    void addAutostart(const Root& root, const fs::path& child, const std::set<std::string>& systemEntries) {
        if (AppScanner::pathExtension(child) != "desktop") return;
        const auto entry = readAutostartEntry(child);
        if (!entry || commandExists(entry->command)) return;
        // A hidden copy is how the user switches a system entry off; it matters while that exists.
        if (entry->hidden && systemEntries.contains(child.filename().string())) return;
        std::string key = flatpakIDOf(entry->command);
        if (key.empty()) key = snapNameOf(entry->command);
        if (key.empty()) key = fs::path(entry->command.front()).filename().string();
        add(root.root, child, lowercased(key), entry->name, "runs missing command " + programOf(entry->command));
    }
};

// The names of the system autostart entries.
std::set<std::string> systemAutostartNames() {
    std::set<std::string> names;
    for (const fs::path& folder : xdg::configDirs())
        for (const fs::path& child : AppScanner::visibleChildren(folder / "autostart"))
            names.insert(child.filename().string());
    return names;
}

}  // namespace

std::vector<LeftoverGroup> leftovers(const InstalledSoftware& installed) {
    Scan scan{installed, ownedNames(installed), {}, {}};
    const std::set<std::string> systemEntries = systemAutostartNames();
    for (const Root& root : roots()) {
        for (const fs::path& child : AppScanner::visibleChildren(root.root.url)) {
            switch (root.owner) {
                case OwnerTest::flatpak:
                    scan.addSandbox(root, child, installed.flatpakIDs, "removed Flatpak");
                    break;
                case OwnerTest::snap:
                    scan.addSandbox(root, child, installed.snapNames, "removed snap");
                    break;
                case OwnerTest::named:
                    scan.addNamed(root, child);
                    break;
                case OwnerTest::autostart:
                    scan.addAutostart(root, child, systemEntries);
                    break;
            }
        }
    }
    return AppScanner::leftoverGroups(scan.candidates, scan.displayNames);
}

}  // namespace tidewell::Freedesktop
