#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell::platform {

struct RunningProcess {
    std::int32_t pid = 0;
    std::string path;      // absolute path of the executable
    std::int64_t rss = 0;  // resident bytes

    bool operator==(const RunningProcess&) const = default;
};

// The current user's processes whose executable link (/proc/<pid>/exe) can be
// read, each with its resident memory. Processes that vanish while the list is
// taken are left out.
std::vector<RunningProcess> runningProcesses();

// Resident bytes of a process (/proc/<pid>/statm, resident pages times the
// page size); 0 when the process is gone or its data cannot be read.
std::int64_t residentMemory(std::int32_t pid);

// The resident page count of a statm line ("size resident shared ..."); none
// when the second field is missing or not a plain decimal number.
std::optional<std::int64_t> residentPagesFromStatm(std::string_view statm);

}  // namespace tidewell::platform
