#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <string_view>

namespace tidewell::Freedesktop {

// One installed package as the dpkg database describes it.
struct DpkgPackage {
    std::string version;
    std::int64_t sizeBytes = 0;  // Installed-Size KiB x 1024
    bool isProtected = false;    // Essential, or Priority required / important

    bool operator==(const DpkgPackage&) const = default;
};

// <root>/var/lib/dpkg.
std::filesystem::path dpkgAdminFolder();

// The fields printed one package a line as
// "${Package}\t${Version}\t${Installed-Size}\t${Essential}\t${Priority}\t${Status}";
// only packages whose status ends in "installed" are kept, bad lines are skipped.
std::map<std::string, DpkgPackage> parseDpkgPackages(std::string_view text);

// The installed packages, read with one run of dpkg-query; empty when there is no
// database or the tool is missing.
std::map<std::string, DpkgPackage> installedPackages();

// The owners of `wantedPaths` (absolute paths as the packages name them), read once from
// the file lists of the database: path -> package.
std::map<std::string, std::string> packageOwners(const std::set<std::string>& wantedPaths);

}  // namespace tidewell::Freedesktop
