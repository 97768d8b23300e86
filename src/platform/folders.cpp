#include "platform/folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tidewell::platform {

namespace {

namespace fs = std::filesystem;

std::optional<std::string> nonEmptyEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') return std::nullopt;
    return std::string(value);
}

fs::path passwordDatabaseHome() {
    std::vector<char> buffer(std::size_t{16} * 1024);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr ||
        found->pw_dir == nullptr) {
        return "/";
    }
    return found->pw_dir;
}

}  // namespace

fs::path homeDirectory() {
    if (auto home = nonEmptyEnvironment("HOME")) return *home;
    return passwordDatabaseHome();
}

fs::path xdgFolder(const char* variable, const fs::path& fallbackBelowHome) {
    if (auto value = nonEmptyEnvironment(variable); value && fs::path(*value).is_absolute()) return *value;
    return homeDirectory() / fallbackBelowHome;
}

fs::path applicationDataDirectory() {
    return xdgFolder("XDG_DATA_HOME", ".local/share") / "Tidewell";
}

fs::path configurationDirectory() {
    return xdgFolder("XDG_CONFIG_HOME", ".config") / "Tidewell";
}

fs::path temporaryDirectory() {
    if (auto folder = nonEmptyEnvironment("TMPDIR")) return *folder;
    return "/tmp";
}

std::optional<fs::path> resourceDirectory() {
    if (auto folder = nonEmptyEnvironment("TIDEWELL_RESOURCE_DIR")) return fs::path(*folder);
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return std::nullopt;
    const fs::path shipped = (executable.parent_path() / ".." / "share" / "tidewell").lexically_normal();
    if (!fs::is_directory(shipped, error)) return std::nullopt;
    return shipped;
}

}  // namespace tidewell::platform
