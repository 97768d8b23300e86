#include "linux_desktop_sample.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <QByteArray>
#include <chrono>
#include <fstream>
#include <string>

namespace tidewell::screenshots {

namespace {

namespace fs = std::filesystem;

void write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

void writeProgram(const fs::path& path, std::size_t bytes) {
    write(path, "#!/bin/sh\n" + std::string(bytes, '#') + "\n");
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
}

void writeEntry(const fs::path& path, const std::string& name, const std::string& exec) {
    write(path, "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + exec + "\n");
}

void age(const fs::path& path, int days) {
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::days(days));
}

// Last opened `days` ago: the access date the inventory reads as last use.
void lastOpened(const fs::path& program, int days) {
    const auto when = std::chrono::system_clock::now() - std::chrono::days(days);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(when.time_since_epoch()).count();
    const timespec times[2] = {{static_cast<time_t>(seconds), 0}, {0, UTIME_OMIT}};
    ::utimensat(AT_FDCWD, program.c_str(), times, 0);
}

void setVariable(const char* name, const fs::path& value) {
    qputenv(name, QByteArray::fromStdString(value.string()));
}

// The dpkg database as dpkg leaves it for installed packages, each shipping its program
// and its menu entry.
void writePackages(const fs::path& root) {
    struct Package {
        const char* name;
        const char* appName;
        const char* priority;
        int installedKiB;
    };
    std::ofstream status((fs::create_directories(root / "var/lib/dpkg/info"), root / "var/lib/dpkg/status"));
    for (const Package& package : {Package{"harbor-studio", "Harbor Studio", "optional", 184'320},
                                   Package{"lumen-notes", "Lumen Notes", "optional", 23'552},
                                   Package{"base-terminal", "Base Terminal", "required", 4'096}}) {
        const std::string name = package.name;
        status << "Package: " << name << "\nStatus: install ok installed\nPriority: " << package.priority
               << "\nInstalled-Size: " << package.installedKiB << "\nArchitecture: amd64\nVersion: 2.4-1\n"
               << "Description: sample\n\n";
        writeProgram(root / "usr/bin" / name, 2000);
        writeEntry(root / "usr/share/applications" / (name + ".desktop"), package.appName, "/usr/bin/" + name);
        write(root / "var/lib/dpkg/info" / (name + ".list"),
              "/.\n/usr/bin/" + name + "\n/usr/share/applications/" + name + ".desktop\n");
    }
}

}  // namespace

LinuxDesktopSample::LinuxDesktopSample() {
    if (!folder_.isValid()) return;
    fs::create_directories(home());
    setVariable("HOME", home());
    setVariable("XDG_DATA_HOME", home() / ".local/share");
    setVariable("XDG_CONFIG_HOME", home() / ".config");
    setVariable("XDG_CACHE_HOME", home() / ".cache");
    setVariable("XDG_STATE_HOME", home() / ".local/state");
    setVariable("TIDEWELL_SYSTEM_ROOT", root());
    qunsetenv("XDG_DATA_DIRS");
    qunsetenv("XDG_CONFIG_DIRS");
    qputenv("TIDEWELL_LAYOUT", "freedesktop");

    writePackages(root());
    const fs::path snap = root() / "snap/tidechart";
    write(snap / "42/meta/snap.yaml", "name: tidechart\nversion: '3.1'\n");
    writeProgram(snap / "42/bin/tidechart", 90'000);
    fs::create_directory_symlink("42", snap / "current");
    writeEntry(root() / "var/lib/snapd/desktop/applications/tidechart_tidechart.desktop", "Tide Chart",
               "/snap/bin/tidechart");
    std::string image(250'000, '\0');
    image.replace(0, 4,
                  "\x7f"
                  "ELF");
    image.replace(8, 3, "AI\x02");
    writeProgram(home() / "Applications/Quarry-Maps.AppImage", 0);
    write(home() / "Applications/Quarry-Maps.AppImage", image);
    writeProgram(home() / "apps/beacon/beacon", 40'000);
    writeEntry(home() / ".local/share/applications/beacon.desktop", "Beacon", (home() / "apps/beacon/beacon").string());

    write(home() / ".cache/harbor-studio/thumbnails.db", std::string(3'200'000, 'c'));
    write(home() / ".config/harbor-studio/settings.conf", std::string(12'000, 's'));
    write(home() / ".local/share/harbor-studio/library.db", std::string(8'400'000, 'd'));
    write(home() / ".cache/lumen-notes/index", std::string(900'000, 'c'));
    write(home() / ".config/beaconrc", std::string(2'000, 'b'));
    write(home() / "snap/tidechart/common/charts.db", std::string(1'500'000, 't'));
    write(home() / ".config/autostart/lumen-notes.desktop",
          "[Desktop Entry]\nType=Application\nName=Lumen Notes\nExec=lumen-notes --background\n");
    write(home() / "Downloads/harbor-studio_2.5_amd64.deb", std::string(2'600'000, 'i'));
    write(home() / "Downloads/Quarry-Maps-1.9.AppImage", std::string(4'100'000, 'i'));
    write(home() / ".local/state/sync.log", std::string(640'000, 'l'));
    age(home() / ".local/state/sync.log", 12);
    write(home() / ".cache/driftwood-player/segments.bin", std::string(5'300'000, 'o'));
    age(home() / ".cache/driftwood-player", 20);
    write(home() / ".config/driftwood-player/driftwood.conf", std::string(4'000, 'o'));
    write(home() / ".var/app/org.example.Sketchbook/data/drawings.db", std::string(7'700'000, 'g'));

    // Dates as a desktop in use has them: programs opened days or months ago, their own
    // folders last changed then too.
    int days = 2;
    for (const fs::path& program :
         {root() / "usr/bin/harbor-studio", root() / "usr/bin/lumen-notes", root() / "usr/bin/base-terminal",
          snap / "42/bin/tidechart", home() / "Applications/Quarry-Maps.AppImage", home() / "apps/beacon/beacon"}) {
        lastOpened(program, days);
        days *= 3;
    }
    for (const char* folder : {".cache/harbor-studio", ".config/harbor-studio", ".local/share/harbor-studio",
                               ".cache/lumen-notes", "snap/tidechart"})
        age(home() / folder, 9);
}

fs::path LinuxDesktopSample::home() const {
    return fs::path(folder_.path().toStdString()) / "home";
}

fs::path LinuxDesktopSample::root() const {
    return fs::path(folder_.path().toStdString()) / "root";
}

}  // namespace tidewell::screenshots
