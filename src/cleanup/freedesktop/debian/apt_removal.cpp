#include "cleanup/freedesktop/debian/apt_removal.h"

#include <unistd.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "cleanup/freedesktop/debian/dpkg_database.h"
#include "platform/folder_locations.h"
#include "process/command_runner.h"

namespace tidewell::Freedesktop {

namespace {

namespace Limits {
constexpr double simulationTimeoutSeconds = 5 * 60;
// The removal waits for the user at the administrator prompt before apt starts.
constexpr double removalTimeoutSeconds = 30 * 60;
}  // namespace Limits

constexpr int pkexecDismissed = 126;
constexpr int pkexecNotAuthorized = 127;

bool isLowerAlnum(char character) {
    return (character >= 'a' && character <= 'z') || (character >= '0' && character <= '9');
}

// Debian policy: package names are lower-case letters, digits and "+-." starting with a
// letter or digit; an architecture qualifier is letters, digits and "-".
bool isPackageName(std::string_view name) {
    std::string_view architecture;
    if (const auto colon = name.find(':'); colon != std::string_view::npos) {
        architecture = name.substr(colon + 1);
        name = name.substr(0, colon);
        if (architecture.empty() || !isLowerAlnum(architecture.front())) return false;
    }
    if (name.empty() || !isLowerAlnum(name.front())) return false;
    const bool nameOK = std::all_of(name.begin(), name.end(), [](char character) {
        return isLowerAlnum(character) || character == '+' || character == '-' || character == '.';
    });
    return nameOK && std::all_of(architecture.begin(), architecture.end(),
                                 [](char character) { return isLowerAlnum(character) || character == '-'; });
}

// The name goes into an argument vector, but apt reads a leading "-" as an option and other
// characters as patterns: anything but a plain package name is refused before apt runs.
void requirePackageName(const std::string& package) {
    if (!isPackageName(package)) throw std::runtime_error("\"" + package + "\" is not a Debian package name.");
}

std::string aptGetPath() {
    if (auto path = CommandRunner::programOnPath("apt-get")) return *path;
    throw std::runtime_error("apt-get is not installed, so Tidewell cannot remove Debian packages.");
}

// Re-rooted, apt reads the configuration, lists and dpkg status below the root and, for a
// removal, has dpkg work on that root; the real system is left alone.
std::vector<std::string> rootOptions(bool forRemoval) {
    const std::filesystem::path root = platform::FolderLocations::systemRoot();
    if (root == "/") return {};
    std::vector<std::string> options{"-o", "Dir=" + root.string(), "-o",
                                     "Dir::State::status=" + (root / "var/lib/dpkg/status").string()};
    if (forRemoval) options.insert(options.end(), {"-o", "DPkg::Options::=--root=" + root.string()});
    return options;
}

// apt's "E:" lines (its warnings are left out), else everything it printed.
std::string aptErrorText(const CommandOutput& output) {
    std::string errors;
    for (const std::string* text : {&output.stderrText, &output.stdoutText}) {
        std::istringstream lines(*text);
        std::string line;
        while (std::getline(lines, line)) {
            if (line.rfind("E: ", 0) != 0) continue;
            if (!errors.empty()) errors += "\n";
            errors += line.substr(3);
        }
    }
    if (!errors.empty()) return errors;
    const std::string combined = output.combined();
    return combined.empty() ? "apt-get failed with status " + std::to_string(output.status) + "." : combined;
}

CommandOutput runApt(const std::string& executable, const std::vector<std::string>& arguments, double timeout) {
    try {
        return CommandRunner::run(executable, arguments, std::nullopt, std::nullopt, nullptr, timeout);
    } catch (const CommandRunner::CommandError&) {
        throw std::runtime_error("apt-get did not finish within " + std::to_string(static_cast<int>(timeout / 60)) +
                                 " minutes.");
    } catch (const std::system_error& error) {
        throw std::runtime_error("Tidewell could not start " + executable + ": " + error.code().message() + ".");
    }
}

}  // namespace

std::vector<std::string> parseAptSimulation(std::string_view output) {
    std::vector<std::string> packages;
    std::istringstream lines{std::string(output)};
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("Remv ", 0) != 0) continue;
        std::string name = line.substr(5, line.find(' ', 5) - 5);
        if (const auto colon = name.find(':'); colon != std::string::npos) name.resize(colon);  // foo:amd64
        if (!isPackageName(name)) continue;
        if (std::find(packages.begin(), packages.end(), name) == packages.end()) packages.push_back(name);
    }
    return packages;
}

AptSimulation simulateAptRemoval(const std::string& package) {
    requirePackageName(package);
    std::vector<std::string> arguments = rootOptions(false);
    // Even a simulation writes its planner log (var/log/apt/eipp.log.xz) when it may; an
    // empty log path turns that off, so asking changes nothing on the system.
    arguments.insert(arguments.end(), {"-o", "Dir::Log::Planner=", "-s", "remove", package});
    const CommandOutput output = runApt(aptGetPath(), arguments, Limits::simulationTimeoutSeconds);
    if (output.status != 0) throw std::runtime_error(aptErrorText(output));

    AptSimulation simulation;
    simulation.removedPackages = parseAptSimulation(output.stdoutText);
    const std::map<std::string, DpkgPackage> installed = installedPackages();
    for (const std::string& name : simulation.removedPackages)
        if (const auto found = installed.find(name); found != installed.end() && found->second.isProtected)
            simulation.protectedPackages.push_back(name);
    return simulation;
}

std::vector<std::string> aptRemovalCommand(const std::string& package, bool runningAsRoot) {
    requirePackageName(package);
    std::vector<std::string> command;
    if (!runningAsRoot) command.emplace_back("pkexec");
    command.push_back(aptGetPath());
    const std::vector<std::string> options = rootOptions(true);
    command.insert(command.end(), options.begin(), options.end());
    command.insert(command.end(), {"remove", "-y", package});
    return command;
}

void removeWithApt(const std::string& package) {
    const bool runningAsRoot = ::geteuid() == 0;
    std::vector<std::string> command = aptRemovalCommand(package, runningAsRoot);
    if (!runningAsRoot) {
        const auto pkexec = CommandRunner::programOnPath("pkexec");
        if (!pkexec)
            throw std::runtime_error(
                "pkexec is not installed, so Tidewell cannot ask for the administrator rights apt needs.");
        command.front() = *pkexec;
    }
    const std::string executable = command.front();
    command.erase(command.begin());
    const CommandOutput output = runApt(executable, command, Limits::removalTimeoutSeconds);
    if (output.status == 0) return;
    if (!runningAsRoot && output.status == pkexecDismissed)
        throw std::runtime_error("The administrator authorization was dismissed, so " + package + " was not removed.");
    if (!runningAsRoot && output.status == pkexecNotAuthorized)
        throw std::runtime_error("Administrator authorization was not granted, so " + package + " was not removed.");
    throw std::runtime_error(aptErrorText(output));
}

}  // namespace tidewell::Freedesktop
