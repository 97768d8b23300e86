#include <sys/stat.h>
#include <unistd.h>

#include "platform/folders.h"
#include "process/command_runner.h"

namespace tidewell::CommandRunner {

namespace {

// A regular file (links followed: shipped tools may be links) we may execute.
bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> candidatePaths(const std::string& name, const std::vector<std::string>& extraCandidates) {
    std::vector<std::string> candidates;
    if (auto resources = platform::resourceDirectory()) {
        candidates.push_back((*resources / "Tools" / name).string());
        candidates.push_back((*resources / "Tools" / (name + "-macos")).string());
    }
    candidates.insert(candidates.end(), extraCandidates.begin(), extraCandidates.end());
    // Only the archive tools may come from the system; everything else must be shipped.
    if (name == "zip" || name == "unzip") {
        candidates.push_back("/usr/bin/" + name);
        candidates.push_back("/bin/" + name);
    }
    return candidates;
}

}  // namespace

std::optional<std::string> firstExecutable(const std::string& name, const std::vector<std::string>& extraCandidates) {
    for (const auto& candidate : candidatePaths(name, extraCandidates)) {
        if (isExecutableFile(candidate)) return candidate;
    }
    return std::nullopt;
}

}  // namespace tidewell::CommandRunner
