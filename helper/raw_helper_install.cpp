#include "raw_helper_install.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <thread>

#include "platform/helper_protocol.h"

extern char** environ;

namespace tidewell::helper {

namespace {

namespace fs = std::filesystem;

std::optional<uid_t> userToServe(const RawHelperOptions& options) {
    if (options.allowedUID) return options.allowedUID;
    for (const char* name : {"PKEXEC_UID", "SUDO_UID"}) {
        if (const char* value = std::getenv(name)) {
            auto parsed = parseRawHelperOptions({"--allowed-uid", value});
            if (parsed.options) return parsed.options->allowedUID;
        }
    }
    return std::nullopt;
}

std::string serviceName() {
    return std::string(platform::helperServiceName);
}

fs::path copiedHelper() {
    return fs::path(InstallLocations::helperFolder) / serviceName();
}

// This executable when it already lies in a libexec/tidewell folder (installed with the
// package or by cmake --install): it then serves from there and is not copied.
std::optional<fs::path> installedSelf() {
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    const fs::path folder = self.parent_path();
    if (folder.filename() != "tidewell" || folder.parent_path().filename() != "libexec") return std::nullopt;
    return self;
}

fs::path installedHelper() {
    return installedSelf().value_or(copiedHelper());
}

std::string socketUnit(const RawHelperOptions& options) {
    return "[Unit]\nDescription=Tidewell read-only recovery helper socket\n\n[Socket]\nListenStream=" +
           options.socketPath.string() + "\nSocketMode=0666\n\n[Install]\nWantedBy=sockets.target\n";
}

std::string serviceUnit(const RawHelperOptions& options, uid_t user) {
    return "[Unit]\nDescription=Tidewell read-only recovery helper\n\n[Service]\nExecStart=" +
           installedHelper().string() + " --allowed-uid " + std::to_string(user) + " --socket " +
           options.socketPath.string() + "\n";
}

int runProgram(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 127;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool copySelf() {
    std::error_code error;
    fs::create_directories(InstallLocations::helperFolder, error);
    const fs::path staged = copiedHelper().string() + ".new";
    fs::copy_file("/proc/self/exe", staged, fs::copy_options::overwrite_existing, error);
    if (error || ::chmod(staged.c_str(), 0755) != 0) return false;
    fs::rename(staged, copiedHelper(), error);
    return !error;
}

bool writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

// Starts the installed helper detached from this process and waits briefly for its socket.
bool startDaemon(const RawHelperOptions& options, uid_t user) {
    pid_t child = ::fork();
    if (child < 0) return false;
    if (child == 0) {
        ::setsid();
        if (::fork() != 0) ::_exit(0);
        const std::string uid = std::to_string(user);
        ::execl(installedHelper().c_str(), installedHelper().c_str(), "--allowed-uid", uid.c_str(), "--socket",
                options.socketPath.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (fs::exists(options.socketPath)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

int fail(const std::string& message, int status) {
    std::cerr << "tidewell-raw-helper: " << message << "\n";
    return status;
}

}  // namespace

int installRawHelper(const RawHelperOptions& options) {
    auto user = userToServe(options);
    if (!user) return fail("--install needs --allowed-uid or PKEXEC_UID naming the user to serve.", 64);
    const bool systemd = fs::is_directory(InstallLocations::systemdMarker);
    const fs::path units = InstallLocations::unitFolder;
    if (options.dryRun) {
        std::cout << (installedSelf() ? "use " : "copy ") << installedHelper().string() << "\n";
        if (systemd)
            std::cout << "enable " << (units / (serviceName() + ".socket")).string() << "\n";
        else
            std::cout << "start " << installedHelper().string() << "\n";
        std::cout << "serve uid " << *user << " at " << options.socketPath.string() << "\n";
        return 0;
    }
    if (::geteuid() != 0) return fail("--install must run as root.", 77);
    if (!installedSelf() && !copySelf())
        return fail("could not copy the helper to " + copiedHelper().string() + ".", 1);
    if (!systemd) return startDaemon(options, *user) ? 0 : fail("the helper did not start.", 1);
    if (!writeText(units / (serviceName() + ".socket"), socketUnit(options)) ||
        !writeText(units / (serviceName() + ".service"), serviceUnit(options, *user)))
        return fail("could not write the service units.", 1);
    const std::string systemctl = fs::exists("/usr/bin/systemctl") ? "/usr/bin/systemctl" : "/bin/systemctl";
    runProgram({systemctl, "daemon-reload"});
    runProgram({systemctl, "stop", serviceName() + ".service"});
    if (runProgram({systemctl, "enable", "--now", serviceName() + ".socket"}) != 0)
        return fail("systemctl could not enable the helper socket.", 1);
    return 0;
}

}  // namespace tidewell::helper
