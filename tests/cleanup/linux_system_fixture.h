#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "support/temporary_folder.h"

namespace tidewell::testing {

// A whole Linux system in temporary folders: HOME and a system root that the freedesktop
// layout reads (TIDEWELL_SYSTEM_ROOT), with the XDG lists at their defaults below the
// root and the user's Flatpak installation in the temporary HOME. Installs software the
// way its owners do: dpkg into the root, flatpak into the user installation.
class LinuxSystemFixture {
public:
    LinuxSystemFixture();

    const std::filesystem::path& home() const { return home_; }
    const std::filesystem::path& root() const { return root_; }
    // The user's applications folder, where menu entries of apps installed by hand live.
    std::filesystem::path userApplications() const { return home_ / ".local/share/applications"; }
    // The original path the user's Trash recorded for an item of that name, when both the
    // item and its .trashinfo are there.
    std::optional<std::string> trashedFrom(const std::string& name) const;
    // An absolute path ("/usr/share/applications") inside the re-rooted system.
    std::filesystem::path system(const std::string& absolutePath) const;

    // Key=value lines of a [Desktop Entry] group, written as `folder`/`fileName`.
    static std::filesystem::path writeDesktopEntry(const std::filesystem::path& folder, const std::string& fileName,
                                                   const std::map<std::string, std::string>& keys);

    struct DebianPackage {
        std::string name;
        std::string version = "1.0-1";
        std::string priority = "optional";
        bool essential = false;
        std::int64_t installedKiB = 64;
        std::string appName;  // Name of its usr/share/applications/<name>.desktop
        std::size_t payloadBytes = 4000;
        std::string depends;  // its Depends line, when not empty
    };
    // Builds the package with dpkg-deb (usr/bin/<name>, its desktop entry) and installs it
    // into the root with dpkg (dependencies first: dpkg does not order them). Empty on success, else what failed.
    std::string installDebianPackage(const DebianPackage& package);
    // apt-get, dpkg, dpkg-deb and dpkg-query are installed.
    static bool haveDebianTools();
    // What the removal tests take apart: a viewer ("tw-viewer") that depends on its library
    // ("tw-libview"), a required login package ("tw-login") that depends on a shell
    // ("tw-shell"), and two leaf packages ("tw-leaf", "tw-keep"). Empty on success.
    std::string installDependentPackages();
    // dpkg's status abbreviation of the package in the root ("ii ", "rc "...), or "absent".
    std::string packageState(const std::string& package) const;

    // An ELF-looking file carrying the AppImage magic of `type` (1 or 2) at offset 8.
    static std::filesystem::path makeAppImage(const std::filesystem::path& folder, const std::string& fileName,
                                              int type = 2, std::size_t bytes = 20000);

    // <root>/snap/<name>/<revision> with meta/snap.yaml, "current" linking to it, and its
    // entry in <root>/var/lib/snapd/desktop/applications.
    void makeSnap(const std::string& name, const std::string& version, const std::string& appName,
                  std::size_t payloadBytes = 12000);

    // A runtime and an app (bin/hello, its entry, its appdata with `version`) built into a
    // local repository and installed with flatpak into the user installation, or into the
    // system one below the root (FLATPAK_SYSTEM_DIR; only root may write it directly).
    // Empty on success, else the failing command and its output. The same app may be installed
    // into both installations.
    std::string installFlatpak(const std::string& id, const std::string& appName, const std::string& version,
                               bool systemInstallation = false);

private:
    // Builds the app into `build` and exports it to `repo`.
    static std::string buildFlatpak(const std::filesystem::path& build, const std::string& id,
                                    const std::string& appName, const std::string& version,
                                    const std::filesystem::path& repo);
    static std::string runLogged(const std::string& program, const std::initializer_list<std::string>& arguments);

    TemporaryHome temporaryHome_;
    TemporaryFolder systemFolder_;
    TemporaryFolder workFolder_;  // package builds and the Flatpak repository
    std::filesystem::path home_;
    std::filesystem::path root_;
    ScopedEnvironment rootVariable_;
    ScopedEnvironment layoutVariable_;
    ScopedEnvironment dataDirs_;
    ScopedEnvironment configDirs_;
    ScopedEnvironment cacheHome_;
    ScopedEnvironment stateHome_;
    ScopedEnvironment flatpakUserDir_;
    ScopedEnvironment flatpakSystemDir_;
    ScopedEnvironment language_;
};

// Allocated bytes of a file or folder as `du -s --block-size=1` reports them.
std::int64_t allocatedBytesByDu(const std::filesystem::path& path);

}  // namespace tidewell::testing
