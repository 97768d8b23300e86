// Times the whole freedesktop inventory with related sizes (every app, its origin, its
// cache, data, settings and state folders) against what a person would run to learn the
// same sizes: `du -s` over the same folders plus one `dpkg-query -W` of the package list.
//
// The generated system: 300 desktop entries of Debian packages in a status file of 5,000
// packages, 40 Flatpaks installed into the user installation from a local repository, and a
// home of about 200,000 files in the apps' XDG folders and Flatpak data folders.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "best_time.h"
#include "cleanup/clean_layout.h"
#include "cleanup/linux_system_fixture.h"
#include "process/command_runner.h"

namespace fs = std::filesystem;
using namespace tidewell;

namespace {

constexpr int packageCount = 5000;
constexpr int appPackageCount = 300;
constexpr int flatpakCount = 40;
constexpr int filesPerApp = 600;      // 300 apps: 180,000 files
constexpr int filesPerFlatpak = 500;  // 40 Flatpaks: 20,000 files
constexpr int rounds = 3;

std::string packageName(int index) {
    return "bench-package-" + std::to_string(index);
}

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The dpkg database as dpkg leaves it: one status stanza per package, and a file list for
// each package that ships an app (its program and its desktop entry).
void writePackageDatabase(const testing::LinuxSystemFixture& system) {
    const fs::path database = system.system("/var/lib/dpkg");
    std::ofstream status(database / "status", std::ios::binary | std::ios::app);
    for (int index = 0; index < packageCount; ++index) {
        const std::string name = packageName(index);
        status << "Package: " << name << "\nStatus: install ok installed\nPriority: optional\nSection: misc\n"
               << "Installed-Size: " << 100 + index % 900 << "\nMaintainer: Bench <bench@example.org>\n"
               << "Architecture: amd64\nVersion: 1." << index << "-1\nDescription: bench package\n\n";
        if (index >= appPackageCount) continue;
        const std::string program = "/usr/bin/" + name;
        const std::string entry = "/usr/share/applications/" + name + ".desktop";
        writeText(system.system(program), "#!/bin/sh\nexit 0\n");
        fs::permissions(system.system(program), fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
        testing::LinuxSystemFixture::writeDesktopEntry(
            system.system("/usr/share/applications"), name + ".desktop",
            {{"Type", "Application"}, {"Name", "Bench App " + std::to_string(index)}, {"Exec", program}});
        writeText(database / "info" / (name + ".list"), "/.\n/usr\n/usr/bin\n" + program + "\n" + entry + "\n");
    }
}

// `count` small files spread over a few subfolders of `folder`.
void writeFiles(const fs::path& folder, int count) {
    constexpr int subfolders = 12;
    for (int part = 0; part < subfolders; ++part) fs::create_directories(folder / ("part" + std::to_string(part)));
    for (int file = 0; file < count; ++file) {
        const fs::path path = folder / ("part" + std::to_string(file % subfolders)) / ("item" + std::to_string(file));
        std::ofstream(path, std::ios::binary) << std::string(200 + file % 1800, 'x');
    }
}

std::vector<fs::path> buildHome(const testing::LinuxSystemFixture& system, const std::vector<std::string>& flatpaks) {
    std::vector<fs::path> measured;
    for (int index = 0; index < appPackageCount; ++index) {
        const std::string name = packageName(index);
        for (const char* place : {".cache", ".config", ".local/share"}) {
            const fs::path folder = system.home() / place / name;
            writeFiles(folder, filesPerApp / 3);
            measured.push_back(folder);
        }
    }
    for (const std::string& id : flatpaks) {
        const fs::path folder = system.home() / ".var/app" / id;
        writeFiles(folder / "cache", filesPerFlatpak / 2);
        writeFiles(folder / "data", filesPerFlatpak / 2);
        measured.push_back(folder);
    }
    return measured;
}

std::size_t runPeer(const std::vector<fs::path>& folders, const fs::path& database) {
    std::vector<std::string> du{"-s", "--block-size=1"};
    for (const fs::path& folder : folders) du.push_back(folder.string());
    const CommandOutput sizes = CommandRunner::run("/usr/bin/du", du);
    const CommandOutput packages = CommandRunner::run("/usr/bin/dpkg-query", {"--admindir=" + database.string(), "-W"});
    if (sizes.status != 0 || packages.status != 0) {
        std::cerr << "peer failed: " << sizes.combined() << packages.combined() << "\n";
        std::exit(1);
    }
    return sizes.stdoutText.size() + packages.stdoutText.size();
}

}  // namespace

int main() {
    testing::LinuxSystemFixture system;
    std::cout << "Building the system (" << packageCount << " packages, " << flatpakCount << " Flatpaks)…" << std::endl;
    writePackageDatabase(system);
    std::vector<std::string> flatpaks;
    for (int index = 0; index < flatpakCount; ++index) {
        const std::string id = "org.tidewell.Bench" + std::to_string(index);
        if (const std::string failure = system.installFlatpak(id, "Bench Flatpak " + std::to_string(index), "1.0");
            !failure.empty()) {
            std::cerr << "flatpak install failed: " << failure << "\n";
            return 1;
        }
        flatpaks.push_back(id);
    }
    const std::vector<fs::path> measured = buildHome(system, flatpaks);
    std::cout << "Home: " << measured.size() << " folders, about "
              << appPackageCount * filesPerApp + flatpakCount * filesPerFlatpak << " files" << std::endl;

    const CleanLayout& layout = CleanLayouts::freedesktop();
    std::size_t listed = 0;
    std::int64_t related = 0;
    const auto [engine, peer] = bench::bestSecondsAlternating(
        [&] {
            const auto apps = layout.scanApps(true);
            listed = apps.size();
            related = 0;
            for (const AppInfo& app : apps) related += app.relatedBytes;
        },
        [&] { runPeer(measured, system.system("/var/lib/dpkg")); }, rounds);

    std::cout << "Apps listed: " << listed << " (expected " << appPackageCount + flatpakCount << ")\n"
              << "Related bytes: " << related << "\n"
              << "Tidewell inventory: " << engine << " s\n"
              << "du -s + dpkg-query -W: " << peer << " s\n"
              << "ratio " << engine / peer << " (target at most 1.3)\n";
    return 0;
}
