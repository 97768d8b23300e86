#include "cleanup/linux_system_fixture.h"

#include <sys/stat.h>

#include <fstream>

#include "platform/folder_locations.h"
#include "platform/layout_kind.h"

namespace tidewell::testing {

namespace fs = std::filesystem;

namespace {

void makeExecutable(const fs::path& path, const std::string& bytes) {
    writeFile(path, bytes);
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
}

const std::string testRuntimeID = "org.tidewell.TestPlatform";

std::string script(std::size_t payloadBytes) {
    return "#!/bin/sh\n# " + std::string(payloadBytes, 'x') + "\nexit 0\n";
}

}  // namespace

LinuxSystemFixture::LinuxSystemFixture()
    : home_(fs::canonical(temporaryHome_.path())),
      root_(fs::canonical(systemFolder_.path())),
      rootVariable_(platform::FolderLocations::systemRootVariable, root_.string()),
      layoutVariable_(platform::layoutVariable, "freedesktop"),
      dataDirs_("XDG_DATA_DIRS", std::nullopt),
      configDirs_("XDG_CONFIG_DIRS", std::nullopt),
      cacheHome_("XDG_CACHE_HOME", std::nullopt),
      stateHome_("XDG_STATE_HOME", std::nullopt),
      flatpakUserDir_("FLATPAK_USER_DIR", (home_ / ".local/share/flatpak").string()),
      flatpakSystemDir_("FLATPAK_SYSTEM_DIR", (root_ / "var/lib/flatpak").string()),
      language_("LANGUAGE", std::nullopt) {
    fs::create_directories(root_ / "usr/share/applications");
    fs::create_directories(root_ / "usr/bin");
    fs::create_directories(root_ / "opt");
    for (const char* folder : {"info", "updates"}) fs::create_directories(root_ / "var/lib/dpkg" / folder);
    writeFile(root_ / "var/lib/dpkg/status", "");
    writeFile(root_ / "var/lib/dpkg/available", "");
    // What apt needs to work on the root without warnings (it writes its history to var/log/apt).
    for (const char* folder : {"var/lib/apt/lists/partial", "var/cache/apt/archives/partial", "var/log/apt",
                               "etc/apt/sources.list.d", "etc/apt/preferences.d"})
        fs::create_directories(root_ / folder);
    writeFile(root_ / "etc/apt/sources.list", "");
}

fs::path LinuxSystemFixture::system(const std::string& absolutePath) const {
    return root_ / fs::path(absolutePath).relative_path();
}

fs::path LinuxSystemFixture::writeDesktopEntry(const fs::path& folder, const std::string& fileName,
                                               const std::map<std::string, std::string>& keys) {
    std::string text = "[Desktop Entry]\n";
    for (const auto& [key, value] : keys) text += key + "=" + value + "\n";
    writeFile(folder / fileName, text);
    return folder / fileName;
}

std::string LinuxSystemFixture::runLogged(const std::string& program,
                                          const std::initializer_list<std::string>& arguments) {
    std::string output;
    if (runTool(program, arguments, &output) == 0) return {};
    std::string command = program + " ";
    for (const std::string& argument : arguments) command += argument + " ";
    return command + "failed: " + output;
}

std::optional<std::string> LinuxSystemFixture::trashedFrom(const std::string& name) const {
    const fs::path trash = home_ / ".local/share/Trash";
    const fs::path info = trash / "info" / (name + ".trashinfo");
    if (!fs::exists(fs::symlink_status(trash / "files" / name)) || !fs::exists(info)) return std::nullopt;
    const std::string text = readFile(info);
    const auto start = text.find("\nPath=");
    if (start == std::string::npos) return std::nullopt;
    return text.substr(start + 6, text.find('\n', start + 1) - start - 6);
}

std::string LinuxSystemFixture::packageState(const std::string& package) const {
    std::string output;
    if (runTool("dpkg-query",
                {"--admindir=" + system("/var/lib/dpkg").string(), "-W", "-f=${db:Status-Abbrev}", package},
                &output) != 0)
        return "absent";
    return output;
}

std::string LinuxSystemFixture::installDebianPackage(const DebianPackage& package) {
    const fs::path tree = workFolder_ / ("deb-" + package.name);
    std::string control = "Package: " + package.name + "\nVersion: " + package.version +
                          "\nArchitecture: all\nMaintainer: Tests <tests@example.org>\nPriority: " + package.priority +
                          "\nInstalled-Size: " + std::to_string(package.installedKiB) + "\n";
    if (package.essential) control += "Essential: yes\n";
    if (!package.depends.empty()) control += "Depends: " + package.depends + "\n";
    writeFile(tree / "DEBIAN/control", control + "Description: a test package\n");
    makeExecutable(tree / "usr/bin" / package.name, script(package.payloadBytes));
    writeDesktopEntry(tree / "usr/share/applications", package.name + ".desktop",
                      {{"Type", "Application"}, {"Name", package.appName}, {"Exec", package.name + " %F"}});
    const fs::path deb = workFolder_ / (package.name + ".deb");
    if (std::string failure = runLogged("dpkg-deb", {"--root-owner-group", "--build", tree.string(), deb.string()});
        !failure.empty())
        return failure;
    return runLogged("dpkg", {"--root=" + root_.string(), "--force-not-root", "--force-script-chrootless",
                              "--force-bad-path", "-i", deb.string()});
}

bool LinuxSystemFixture::haveDebianTools() {
    return haveTool("apt-get") && haveTool("dpkg") && haveTool("dpkg-deb") && haveTool("dpkg-query");
}

std::string LinuxSystemFixture::installDependentPackages() {
    for (const DebianPackage& package :
         {DebianPackage{.name = "tw-libview", .appName = "Viewer Library"},
          DebianPackage{.name = "tw-viewer", .appName = "Viewer", .depends = "tw-libview"},
          DebianPackage{.name = "tw-shell", .appName = "Shell"},
          DebianPackage{.name = "tw-login", .priority = "required", .appName = "Login", .depends = "tw-shell"},
          DebianPackage{.name = "tw-leaf", .appName = "Leaf"}, DebianPackage{.name = "tw-keep", .appName = "Keep"}})
        if (std::string failure = installDebianPackage(package); !failure.empty()) return failure;
    return {};
}

fs::path LinuxSystemFixture::makeAppImage(const fs::path& folder, const std::string& fileName, int type,
                                          std::size_t bytes) {
    std::string image(bytes, '\0');
    image.replace(0, 4,
                  "\x7f"
                  "ELF");
    image[4] = 2;  // 64-bit
    image[5] = 1;  // little-endian
    image[6] = 1;  // ELF version
    image.replace(8, 2, "AI");
    image[10] = static_cast<char>(type);
    makeExecutable(folder / fileName, image);
    return folder / fileName;
}

void LinuxSystemFixture::makeSnap(const std::string& name, const std::string& version, const std::string& appName,
                                  std::size_t payloadBytes) {
    const fs::path snap = root_ / "snap" / name;
    writeFile(snap / "42/meta/snap.yaml", "name: " + name + "\nversion: '" + version + "'\nsummary: test\n");
    makeExecutable(snap / "42/bin" / name, script(payloadBytes));
    writeFile(snap / "42/meta/gui/icon.png", "png");
    fs::create_directory_symlink("42", snap / "current");
    writeDesktopEntry(root_ / "var/lib/snapd/desktop/applications", name + "_" + name + ".desktop",
                      {{"Type", "Application"},
                       {"Name", appName},
                       {"Icon", "/snap/" + name + "/current/meta/gui/icon.png"},
                       {"Exec", "env BAMF_DESKTOP_FILE_HINT=/var/lib/snapd/desktop/applications/" + name + "_" + name +
                                    ".desktop /snap/bin/" + name + " %U"}});
}

std::string LinuxSystemFixture::installFlatpak(const std::string& id, const std::string& appName,
                                               const std::string& version, bool systemInstallation) {
    const std::string installation = systemInstallation ? "--system" : "--user";
    const fs::path repo = workFolder_ / "flatpak-repo";
    if (!fs::exists(repo)) {
        // A runtime is a folder with its metadata, files and usr; exported as it is, it needs no SDK.
        const fs::path runtime = workFolder_ / "flatpak-runtime";
        writeFile(runtime / "metadata", "[Runtime]\nname=" + testRuntimeID + "\nruntime=" + testRuntimeID +
                                            "/x86_64/1\nsdk=" + testRuntimeID + "/x86_64/1\n");
        makeExecutable(runtime / "files/bin/true", "#!/bin/sh\nexit 0\n");
        fs::create_directories(runtime / "usr");
        if (auto failure = runLogged(
                "flatpak", {"build-export", "--runtime", "--arch=x86_64", repo.string(), runtime.string(), "1"});
            !failure.empty())
            return failure;
    }
    if (auto failure = runLogged("flatpak", {"remote-add", installation, "--no-gpg-verify", "--if-not-exists",
                                             "tidewell-tests", "file://" + repo.string()});
        !failure.empty())
        return failure;
    if (auto failure = runLogged("flatpak", {"install", installation, "-y", "--noninteractive", "--or-update",
                                             "tidewell-tests", "runtime/" + testRuntimeID + "/x86_64/1"});
        !failure.empty())
        return failure;

    const fs::path build = workFolder_ / ("flatpak-" + id);
    // Built and exported once; a second installation of the same app installs it again.
    if (!fs::exists(build))
        if (auto failure = buildFlatpak(build, id, appName, version, repo); !failure.empty()) return failure;
    return runLogged("flatpak", {"install", installation, "-y", "--noninteractive", "tidewell-tests", id});
}

std::string LinuxSystemFixture::buildFlatpak(const fs::path& build, const std::string& id, const std::string& appName,
                                             const std::string& version, const fs::path& repo) {
    if (auto failure = runLogged("flatpak", {"build-init", build.string(), id, testRuntimeID, testRuntimeID, "1"});
        !failure.empty())
        return failure;
    const std::string command = "hello";
    makeExecutable(build / "files/bin" / command, script(3000));
    writeDesktopEntry(build / "files/share/applications", id + ".desktop",
                      {{"Type", "Application"}, {"Name", appName}, {"Exec", command}, {"Icon", id}});
    // The installed ref's appdata version comes from the compiled AppStream data of the app.
    const fs::path appstream = build / "files/share/app-info/xmls" / (id + ".xml");
    const std::string component = "<component type=\"desktop\"><id>" + id + ".desktop</id><name>" + appName +
                                  "</name><summary>A test app</summary><releases><release version=\"" + version +
                                  "\" timestamp=\"1700000000\"/></releases></component>";
    writeFile(appstream,
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<components version=\"0.8\" origin=\"flatpak\">\n" +
                  component + "\n</components>\n");
    if (auto failure = runLogged("gzip", {"-n", appstream.string()}); !failure.empty()) return failure;
    if (auto failure = runLogged("flatpak", {"build-finish", build.string(), "--command=" + command}); !failure.empty())
        return failure;
    return runLogged("flatpak", {"build-export", repo.string(), build.string(), "stable"});
}

std::int64_t allocatedBytesByDu(const fs::path& path) {
    std::string output;
    if (runTool("du", {"-s", "--block-size=1", path.string()}, &output) != 0) return -1;
    return std::stoll(output);
}

}  // namespace tidewell::testing
