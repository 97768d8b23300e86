#include "platform/running_processes.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

namespace tidewell::platform {

namespace fs = std::filesystem;

namespace {

std::optional<std::int32_t> processIdentifier(const std::string& name) {
    std::int32_t pid = 0;
    auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (error != std::errc() || end != name.data() + name.size() || pid <= 0) return std::nullopt;
    return pid;
}

bool ownedByCurrentUser(const fs::path& processFolder) {
    struct stat status {};
    return ::stat(processFolder.c_str(), &status) == 0 && status.st_uid == ::getuid();
}

}  // namespace

std::optional<std::int64_t> residentPagesFromStatm(std::string_view statm) {
    const std::size_t firstSpace = statm.find(' ');
    if (firstSpace == std::string_view::npos) return std::nullopt;
    const std::string_view rest = statm.substr(firstSpace + 1);
    std::int64_t pages = 0;
    auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), pages);
    if (error != std::errc() || end == rest.data() || pages < 0) return std::nullopt;
    if (end != rest.data() + rest.size() && *end != ' ' && *end != '\n') return std::nullopt;
    return pages;
}

std::int64_t residentMemory(std::int32_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/statm");
    std::string line;
    if (!file || !std::getline(file, line)) return 0;
    auto pages = residentPagesFromStatm(line);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (!pages || pageSize <= 0) return 0;
    if (*pages > std::numeric_limits<std::int64_t>::max() / pageSize) return std::numeric_limits<std::int64_t>::max();
    return *pages * pageSize;
}

std::vector<RunningProcess> runningProcesses() {
    std::vector<RunningProcess> processes;
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        auto pid = processIdentifier(it->path().filename().string());
        if (!pid || !ownedByCurrentUser(it->path())) continue;
        std::error_code linkError;
        fs::path executable = fs::read_symlink(it->path() / "exe", linkError);
        if (linkError || executable.empty()) continue;
        processes.push_back(RunningProcess{*pid, executable.string(), residentMemory(*pid)});
    }
    return processes;
}

}  // namespace tidewell::platform
