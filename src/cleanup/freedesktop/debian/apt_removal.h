#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tidewell::Freedesktop {

// What apt would take with a package, asked before anything is removed.
struct AptSimulation {
    std::vector<std::string> removedPackages;    // in apt's order, without ":<arch>"
    std::vector<std::string> protectedPackages;  // of those, the ones the system must keep

    bool operator==(const AptSimulation&) const = default;
};

// The package names of the "Remv <name>[:<arch>] [<version>]..." lines of
// `apt-get -s remove` output, in order, each once.
std::vector<std::string> parseAptSimulation(std::string_view output);

// Runs `apt-get -s remove <package>` (no privileges needed) against this system's package
// database (the re-rooted one when TIDEWELL_SYSTEM_ROOT is set) and marks the removed
// packages the database calls Essential or Priority required / important as protected.
// Throws std::runtime_error before anything runs when `package` is not a plain package name
// ("name[:arch]"), with one sentence when apt-get is missing, and with apt's own "E:" lines
// (without the prefix) when apt refuses.
AptSimulation simulateAptRemoval(const std::string& package);

// The argument vector of the removal, as it is run without a shell: "pkexec" first unless
// `runningAsRoot`, then apt-get with "remove", "-y" and the package (never purge). Re-rooted,
// apt reads the root's configuration and status and has dpkg work with --root on it.
// "pkexec" stays a bare name here; removeWithApt finds it on PATH. Throws as
// simulateAptRemoval does for a bad name or a missing apt-get.
std::vector<std::string> aptRemovalCommand(const std::string& package, bool runningAsRoot);

// Removes the package with apt (through pkexec unless this process runs as root). Throws
// std::runtime_error with apt's (or pkexec's) message when the removal did not happen,
// including a refused or dismissed authorization. A re-rooted apt also needs
// <root>/var/log/apt to exist; this function creates nothing in the root.
void removeWithApt(const std::string& package);

}  // namespace tidewell::Freedesktop
