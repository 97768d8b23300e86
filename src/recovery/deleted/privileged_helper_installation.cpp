// Installation of the privileged helper, serialised by the install lock.
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <system_error>

#include "process/command_runner.h"
#include "recovery/deleted/privileged_disk_reader.h"

namespace tidewell::PrivilegedDiskReader {

namespace {

using Case = PrivilegedReadError::Case;

std::atomic<bool> installed{false};

std::filesystem::path settingOr(const char* name, const std::filesystem::path& fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::filesystem::path(value) : fallback;
}

// The installed helper in <prefix>/libexec/tidewell when this executable runs from
// <prefix>/bin, else the one built beside it, unless a setting names another.
std::filesystem::path helperExecutable() {
    std::error_code error;
    const auto folder = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    const auto installed = (folder / ".." / "libexec" / "tidewell" / "tidewell-raw-helper").lexically_normal();
    const bool isInstalled = ::access(installed.c_str(), X_OK) == 0;
    return settingOr("TIDEWELL_RAW_HELPER", isInstalled ? installed : folder / "tidewell-raw-helper");
}

[[noreturn]] void failInstallation(const std::string& message) {
    throw PrivilegedReadError(Case::administratorAuthorizationFailed, message);
}

// pkexec answers 126 when the administrator prompt was dismissed and 127 when
// authorization was refused; any other failure is the installer's own.
void installThroughPkexec() {
    const auto pkexec = settingOr("TIDEWELL_PKEXEC", "/usr/bin/pkexec");
    if (::access(pkexec.c_str(), X_OK) != 0)
        failInstallation("Tidewell could not prepare administrator authorization (" + std::to_string(errno) + ").");
    CommandOutput output;
    try {
        output = CommandRunner::run(pkexec.string(),
                                    {helperExecutable().string(), "--install", "--socket", socketPath().string()},
                                    std::nullopt, std::nullopt, nullptr, Limits::installTimeoutSeconds);
    } catch (const std::system_error& error) {
        failInstallation("Tidewell could not prepare administrator authorization (" +
                         std::to_string(error.code().value()) + ").");
    } catch (const std::exception& error) {
        failInstallation(std::string("Tidewell could not install its read-only recovery helper: ") + error.what());
    }
    if (output.status == 126 || output.status == 127)
        failInstallation("Administrator authorization was not granted (" + std::to_string(output.status) + ").");
    if (output.status != 0) {
        const std::string description = output.combined();
        failInstallation("Tidewell could not install its read-only recovery helper: " +
                         (description.empty() ? std::string("Unknown ServiceManagement error.") : description));
    }
}

}  // namespace

std::mutex& installLock() {
    static std::mutex lock;
    return lock;
}

bool helperInstalled() {
    return installed.load();
}

void resetInstallationState() {
    std::lock_guard guard(installLock());
    installed = false;
}

void installIfNeeded() {
    std::lock_guard guard(installLock());
    if (installed) return;
    if (installedHelperIsReachable()) {
        installed = true;
        return;
    }
    installThroughPkexec();
    installed = true;
}

}  // namespace tidewell::PrivilegedDiskReader
