#include "recovery/readable/recovery_scan_report.h"

#include <algorithm>

namespace tidewell {

std::string RecoveryScanReport::durationText() const {
    auto whole = std::chrono::duration_cast<std::chrono::seconds>(finishedAt - startedAt).count();
    auto seconds = std::max<std::int64_t>(1, whole);
    if (seconds >= 60) return std::to_string(seconds / 60) + "m " + std::to_string(seconds % 60) + "s";
    return std::to_string(seconds) + "s";
}

}  // namespace tidewell
