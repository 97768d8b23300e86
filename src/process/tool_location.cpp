#include <cstdlib>
#include <string_view>

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

std::optional<std::string> programOnPath(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    const char* variable = std::getenv("PATH");
    std::string_view list =
        variable != nullptr ? variable : "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";
    while (!list.empty()) {
        const std::size_t colon = list.find(':');
        const std::filesystem::path folder(std::string(list.substr(0, colon)));
        list = colon == std::string_view::npos ? std::string_view() : list.substr(colon + 1);
        if (folder.is_absolute() && platform::isExecutableFile(folder / name)) return (folder / name).string();
    }
    return std::nullopt;
}

void runPassingOverFailure(const std::string& name, const std::vector<std::string>& arguments, double timeout) {
    const std::optional<std::string> program = programOnPath(name);
    if (!program) return;
    try {
        run(*program, arguments, std::nullopt, std::nullopt, nullptr, timeout);
    } catch (const std::exception&) {
        // The caller's next step holds without it.
    }
}

}  // namespace tidewell::CommandRunner
