#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "cleanup/freedesktop/linux_app.h"
#include "cleanup/related_usage.h"

namespace tidewell::Freedesktop {

// A settings file of an app named <key> may also be "<key>rc" or "<key>.conf".
inline constexpr auto settingsFileSuffixes = std::to_array<std::string_view>({"rc", ".conf"});

// The names an app's own folders may carry, in the order they are tried: the identifier,
// the last piece of a reverse-DNS identifier, the executable's name, the display name.
std::vector<std::string> relatedKeys(const LinuxApp& app);

// The visible entries of the XDG cache, data, config and state folders, listed once and
// shared by every app of an inventory pass. Read-only once made, so threads may share it.
class RelatedFolderListing {
public:
    struct Entry {
        std::filesystem::path path;
        std::string name;
        std::string lowercasedName;
    };

    RelatedFolderListing();
    // The entries of one of those folders, sorted by path; none for any other folder.
    const std::vector<Entry>& entries(const std::filesystem::path& folder) const;

private:
    std::map<std::filesystem::path, std::vector<Entry>> folders_;
};

// The app's cache, data, settings, state and log rows in the XDG folders (and in
// ~/.var/app/<id> or ~/snap/<name>), never a shared folder of the deny list.
AppScanner::RelatedUsage relatedFiles(const LinuxApp& app);
// Only the sandbox home of a Flatpak (~/.var/app/<id>) or a snap (~/snap/<name>): an exact
// path of the app's own, read in every scan; empty for any other app.
AppScanner::RelatedUsage sandboxFiles(const LinuxApp& app);
AppScanner::RelatedUsage relatedFiles(const LinuxApp& app, const RelatedFolderListing& folders);

}  // namespace tidewell::Freedesktop
