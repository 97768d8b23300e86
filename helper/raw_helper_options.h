#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tidewell::helper {

// The helper's settings; every path is a setting so that tests can run a real
// helper on a temporary socket over image files in a temporary folder.
struct RawHelperOptions {
    std::filesystem::path socketPath;
    std::filesystem::path deviceFolder = "/dev";
    std::filesystem::path mountTable = "/proc/self/mountinfo";
    std::filesystem::path sysfsRoot = "/sys";
    std::filesystem::path udevDataRoot = "/run/udev/data";
    std::filesystem::path recordFile;  // empty: the system log
    std::optional<uid_t> allowedUID;   // absent: the user running the helper
    bool install = false;
    bool dryRun = false;
    bool help = false;
};

struct RawHelperOptionsResult {
    std::optional<RawHelperOptions> options;
    std::string error;  // set when options is absent
};

RawHelperOptionsResult parseRawHelperOptions(const std::vector<std::string>& arguments);

std::string rawHelperUsage();

}  // namespace tidewell::helper
