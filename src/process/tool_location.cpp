#include "platform/file_properties.h"
#include "platform/folders.h"
#include "process/command_runner.h"

namespace tidewell::CommandRunner {

namespace {

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
        if (platform::isExecutableFile(candidate)) return candidate;
    }
    return std::nullopt;
}

}  // namespace tidewell::CommandRunner
