#include "cleanup/freedesktop/debian/dpkg_database.h"

#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/folder_locations.h"
#include "process/command_runner.h"

namespace tidewell::Freedesktop {

namespace fs = std::filesystem;

namespace {

// dpkg-query is the tool, not part of the system being read: it is not re-rooted.
constexpr const char* dpkgQuery = "/usr/bin/dpkg-query";

std::vector<std::string> tabFields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream stream(line);
    std::string field;
    while (std::getline(stream, field, '\t')) fields.push_back(field);
    if (!line.empty() && line.back() == '\t') fields.emplace_back();
    return fields;
}

std::int64_t kibibytes(const std::string& text) {
    std::int64_t value = 0;
    for (char character : text) {
        if (character < '0' || character > '9') return 0;
        if (value > (INT64_MAX / 1024 - 9) / 10) return 0;
        value = value * 10 + (character - '0');
    }
    return value * 1024;
}

}  // namespace

fs::path dpkgAdminFolder() {
    return platform::FolderLocations::systemPath("/var/lib/dpkg");
}

std::map<std::string, DpkgPackage> parseDpkgPackages(std::string_view text) {
    std::map<std::string, DpkgPackage> packages;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        const std::vector<std::string> fields = tabFields(line);
        if (fields.size() != 6 || fields[0].empty()) continue;
        const std::string& status = fields[5];
        if (status.size() < 10 || status.compare(status.size() - 10, 10, " installed") != 0) continue;
        DpkgPackage package;
        package.version = fields[1].empty() ? "-" : fields[1];
        package.sizeBytes = kibibytes(fields[2]);
        package.isProtected = fields[3] == "yes" || fields[4] == "required" || fields[4] == "important";
        packages[fields[0]] = package;
    }
    return packages;
}

std::map<std::string, DpkgPackage> installedPackages() {
    std::error_code error;
    const fs::path admin = dpkgAdminFolder();
    if (!fs::is_regular_file(admin / "status", error) || !fs::exists(dpkgQuery, error)) return {};
    try {
        const CommandOutput output =
            CommandRunner::run(dpkgQuery,
                               {"--admindir=" + admin.string(), "-W",
                                "-f=${Package}\t${Version}\t${Installed-Size}\t${Essential}\t${Priority}\t${"
                                "Status}\n"},
                               std::nullopt, std::nullopt, nullptr, 120);
        if (output.status != 0) return {};
        return parseDpkgPackages(output.stdoutText);
    } catch (const std::exception&) {
        return {};
    }
}

std::map<std::string, std::string> packageOwners(const std::set<std::string>& wantedPaths) {
    std::map<std::string, std::string> owners;
    if (wantedPaths.empty()) return owners;
    std::error_code error;
    for (fs::directory_iterator list(dpkgAdminFolder() / "info", error); !error && list != fs::directory_iterator();
         list.increment(error)) {
        const fs::path& path = list->path();
        if (path.extension() != ".list") continue;
        std::string package = path.stem().string();
        if (const auto colon = package.find(':'); colon != std::string::npos) package.resize(colon);  // foo:amd64
        std::ifstream file(path);
        std::string line;
        while (std::getline(file, line))
            if (wantedPaths.count(line) != 0) owners.emplace(line, package);
    }
    return owners;
}

}  // namespace tidewell::Freedesktop
