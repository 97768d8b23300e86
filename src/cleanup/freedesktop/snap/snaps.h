#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>

namespace tidewell::Freedesktop {

// <root>/var/lib/snapd/desktop/applications: where snapd exports its apps' entries.
std::filesystem::path snapDesktopFolder();

// <root>/snap/<name>/current.
std::filesystem::path snapCurrentFolder(const std::string& name);

// Every folder of <root>/snap with a "current" revision.
std::set<std::string> installedSnapNames();

// The snap an exported entry belongs to: its desktop-file id up to the first "_"
// ("firefox_firefox.desktop" belongs to "firefox").
std::string snapNameOfEntry(std::string_view desktopFileID);

// The "version:" value of a meta/snap.yaml text, unquoted; "-" when there is none.
std::string snapVersion(std::string_view snapYaml);

}  // namespace tidewell::Freedesktop
