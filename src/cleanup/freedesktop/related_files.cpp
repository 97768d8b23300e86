#include "cleanup/freedesktop/related_files.h"

#include <algorithm>
#include <set>

#include "cleanup/folder_listing.h"
#include "cleanup/freedesktop/deny_list.h"
#include "cleanup/saturating_sum.h"
#include "platform/disk_usage.h"
#include "platform/file_properties.h"
#include "platform/folders.h"
#include "platform/xdg_folders.h"
#include "util/unicode_text.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;
namespace xdg = platform::XDGFolders;
using Kind = CleanupCandidate::Kind;
using Safety = CleanupCandidate::SafetyLevel;

namespace {

// What a key is, for the evidence text and for how far a match is trusted.
struct Key {
    std::string name;
    const char* what;  // "the app identifier", ...
    bool strong;       // an identifier or executable name, not a display name
};

// A three-piece (or longer) dotted name with no empty piece: "org.gimp.GIMP".
bool isReverseDNS(std::string_view identifier) {
    if (std::count(identifier.begin(), identifier.end(), '.') < 2) return false;
    return !identifier.starts_with('.') && !identifier.ends_with('.') && identifier.find("..") == std::string::npos;
}

std::string withoutDesktopSuffix(std::string identifier) {
    constexpr std::string_view suffix = ".desktop";
    if (identifier.size() > suffix.size() && identifier.ends_with(suffix))
        identifier.resize(identifier.size() - suffix.size());
    return identifier;
}

std::vector<Key> keysOf(const LinuxApp& app) {
    const std::string identifier = withoutDesktopSuffix(app.identifier);
    std::vector<Key> keys{{identifier, "the app identifier", true}};
    if (isReverseDNS(identifier))
        keys.push_back({identifier.substr(identifier.rfind('.') + 1), "the last part of the app identifier", true});
    if (app.executable) keys.push_back({app.executable->filename().string(), "the app's executable name", true});
    keys.push_back({app.name, "the app name", false});
    std::vector<Key> unique;
    for (Key& key : keys) {
        if (key.name.empty()) continue;
        if (std::none_of(unique.begin(), unique.end(), [&](const Key& seen) { return seen.name == key.name; }))
            unique.push_back(std::move(key));
    }
    return unique;
}

// One row of the table: where to look, what the entries found there are.
struct Row {
    fs::path folder;
    Kind kind;
    const char* label;
    Safety safety;  // for a strong key matched exactly
    bool defaultSelected;
    const char* note;
    std::vector<std::string_view> fileSuffixes;  // files "<key><suffix>" besides the folder "<key>"
};

// "<key>" and the row's "<key><suffix>" file names.
std::vector<std::string> namesOf(const Row& row, const Key& key) {
    std::vector<std::string> names{key.name};
    for (std::string_view suffix : row.fileSuffixes) names.push_back(key.name + std::string(suffix));
    return names;
}

// The entries named one of `names` (never a shared place or a name that leaves the folder).
std::vector<fs::path> matchingChildren(const std::vector<RelatedFolderListing::Entry>& entries,
                                       const std::vector<std::string>& names, bool ignoringCase) {
    std::vector<fs::path> found;
    for (const std::string& name : names) {
        if (!AppScanner::isPlainPathComponent(name)) continue;
        const std::string wanted = ignoringCase ? lowercased(name) : name;
        for (const RelatedFolderListing::Entry& entry : entries) {
            const std::string& entryName = ignoringCase ? entry.lowercasedName : entry.name;
            if (entryName == wanted && !isSharedPlace(entry.name)) found.push_back(entry.path);
        }
    }
    return found;
}

struct Finder {
    AppScanner::RelatedUsage usage;
    std::set<std::string> seen;  // each entry once

    // Appends the entry and answers its size (0 when it was already listed or measures 0).
    std::int64_t add(const fs::path& path, Kind kind, const std::string& label, Safety safety,
                     const std::string& evidence, bool defaultSelected, const std::string& note) {
        if (!seen.insert(path.string()).second) return 0;
        const auto values = platform::fileProperties(path);
        if (!values || values->isSymbolicLink) return 0;
        const std::int64_t size = platform::sizeIfExists(path);
        AppScanner::appendCandidate(usage.candidates, kind, label, path, size, safety, evidence, defaultSelected, note);
        return size;
    }

    // One entry of the row found through `key`; answers its size.
    std::int64_t addMatch(const Row& row, const fs::path& child, const Key& key, bool ignoringCase) {
        const bool trusted = key.strong && !ignoringCase;
        std::error_code error;
        const bool folder = fs::is_directory(fs::symlink_status(child, error));
        const std::string evidence = std::string(folder ? "Folder" : "File") + " name matches " + key.what +
                                     (ignoringCase ? " (ignoring case)" : "");
        return add(child, row.kind, row.label, trusted ? row.safety : Safety::review, evidence,
                   trusted && row.defaultSelected, trusted ? row.note : "Name match only. Review carefully.");
    }

    // The entries of the row named after the keys: every key exactly, then every key
    // ignoring case. Answers the sizes found through strong and through weak keys.
    std::pair<std::int64_t, std::int64_t> addRow(const Row& row, const std::vector<Key>& keys,
                                                 const RelatedFolderListing& folders) {
        std::int64_t strong = 0;
        std::int64_t weak = 0;
        const auto& entries = folders.entries(row.folder);
        for (bool ignoringCase : {false, true}) {
            for (const Key& key : keys) {
                for (const fs::path& child : matchingChildren(entries, namesOf(row, key), ignoringCase)) {
                    const std::int64_t size = addMatch(row, child, key, ignoringCase);
                    std::int64_t& total = key.strong && !ignoringCase ? strong : weak;
                    total = saturatingSum(total, size);
                }
            }
        }
        return {strong, weak};
    }
};

// A sandbox folder of the app's own (Flatpak's ~/.var/app/<id>, Snap's ~/snap/<name>).
std::int64_t addSandboxFolder(Finder& finder, const fs::path& path, Kind kind, const char* label, Safety safety,
                              const char* evidence, const char* note) {
    return finder.add(path, kind, label, safety, evidence, safety != Safety::review, note);
}

// The sandbox home holds everything the app wrote: one item, measured by its parts.
void addFlatpakRows(Finder& finder, const LinuxApp& app) {
    if (!AppScanner::isPlainPathComponent(app.identifier)) return;
    const fs::path folder = platform::homeDirectory() / ".var/app" / app.identifier;
    const std::int64_t total = addSandboxFolder(finder, folder, Kind::container, "Flatpak data", Safety::likely,
                                                "Flatpak data folder of the app identifier",
                                                "The app's settings, cache and data; restorable from the Trash.");
    finder.usage.cache += platform::sizeIfExists(folder / "cache");
    finder.usage.preferences += platform::sizeIfExists(folder / "config");
    finder.usage.support += std::max<std::int64_t>(0, total - finder.usage.cache - finder.usage.preferences);
}

void addSnapRows(Finder& finder, const LinuxApp& app) {
    if (!AppScanner::isPlainPathComponent(app.identifier)) return;
    finder.usage.support += addSandboxFolder(
        finder, platform::homeDirectory() / "snap" / app.identifier, Kind::container, "Snap data", Safety::likely,
        "Snap data folder of the snap name", "The snap's settings and data; restorable from the Trash.");
}

// Top-level "*.log" files of the state folder whose names contain a key.
void addLogs(Finder& finder, const std::vector<Key>& keys, const RelatedFolderListing& folders) {
    for (const RelatedFolderListing::Entry& entry : folders.entries(xdg::stateHome())) {
        const fs::path& child = entry.path;
        if (lowercased(AppScanner::pathExtension(child)) != "log") continue;
        const std::string& name = entry.name;
        const auto key = std::find_if(keys.begin(), keys.end(),
                                      [&](const Key& key) { return containsIgnoringCase(name, key.name); });
        if (key == keys.end()) continue;
        const bool trusted = key->strong;
        finder.usage.logs = saturatingSum(
            finder.usage.logs, finder.add(child, Kind::logs, name, trusted ? Safety::likely : Safety::review,
                                          std::string("Log name contains ") + key->what, trusted,
                                          trusted ? "Log of this app." : "Name-matched log. Review before selecting."));
    }
}

}  // namespace

std::vector<std::string> relatedKeys(const LinuxApp& app) {
    std::vector<std::string> names;
    for (Key& key : keysOf(app)) names.push_back(std::move(key.name));
    return names;
}

RelatedFolderListing::RelatedFolderListing() {
    for (const fs::path& folder : {xdg::cacheHome(), xdg::dataHome(), xdg::configHome(), xdg::stateHome()}) {
        std::vector<Entry>& entries = folders_[folder];
        for (const fs::path& child : AppScanner::visibleChildren(folder)) {
            std::string name = child.filename().string();
            entries.push_back({child, name, lowercased(name)});
        }
    }
}

const std::vector<RelatedFolderListing::Entry>& RelatedFolderListing::entries(const fs::path& folder) const {
    static const std::vector<Entry> none;
    const auto found = folders_.find(folder);
    return found == folders_.end() ? none : found->second;
}

AppScanner::RelatedUsage relatedFiles(const LinuxApp& app) {
    return relatedFiles(app, RelatedFolderListing());
}

AppScanner::RelatedUsage sandboxFiles(const LinuxApp& app) {
    Finder finder;
    if (app.origin == AppOrigin::flatpak) addFlatpakRows(finder, app);
    if (app.origin == AppOrigin::snap) addSnapRows(finder, app);
    return std::move(finder.usage);
}

AppScanner::RelatedUsage relatedFiles(const LinuxApp& app, const RelatedFolderListing& folders) {
    if (app.origin == AppOrigin::flatpak || app.origin == AppOrigin::snap) return sandboxFiles(app);
    Finder finder;
    const std::vector<Key> keys = keysOf(app);
    const std::vector<Row> rows{
        {xdg::cacheHome(), Kind::cache, "Cache", Safety::safe, true, "High-confidence cache path.", {}},
        {xdg::dataHome(),
         Kind::applicationSupport,
         "Application data",
         Safety::review,
         false,
         "May contain app data. Review before selecting.",
         {}},
        {xdg::configHome(),
         Kind::preferences,
         "Settings",
         Safety::safe,
         true,
         "Settings of this app.",
         {settingsFileSuffixes.begin(), settingsFileSuffixes.end()}},
        {xdg::stateHome(),
         Kind::savedState,
         "Saved state",
         Safety::safe,
         true,
         "Restored window state and history.",
         {}},
    };
    std::int64_t* strongTotals[] = {&finder.usage.cache, &finder.usage.support, &finder.usage.preferences,
                                    &finder.usage.savedState};
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const auto [strong, weak] = finder.addRow(rows[index], keys, folders);
        *strongTotals[index] = saturatingSum(*strongTotals[index], strong);
        // Name-only matches of data folders count as the reviewed support; elsewhere they
        // still belong to their row.
        if (rows[index].kind == Kind::applicationSupport)
            finder.usage.supportReview = saturatingSum(finder.usage.supportReview, weak);
        else
            *strongTotals[index] = saturatingSum(*strongTotals[index], weak);
    }
    addLogs(finder, keys, folders);
    return std::move(finder.usage);
}

}  // namespace tidewell::Freedesktop
