#include "cleanup/app_info.h"

#include "cleanup/saturating_sum.h"
#include "util/byte_size_text.h"
#include "util/relative_date_text.h"

namespace tidewell {

namespace {

// Optional amounts show "-" when there is nothing.
std::string dashedSizeText(std::int64_t bytes) {
    return bytes < 1 ? "-" : tidewellString(bytes);
}

}  // namespace

std::int64_t AppInfo::totalDiskBytes() const {
    return saturatingSum(saturatingSum(sizeBytes, relatedBytes), installerBytes);
}

std::string AppInfo::sizeText() const {
    return tidewellString(sizeBytes);
}
std::string AppInfo::totalDiskText() const {
    return tidewellString(totalDiskBytes());
}
std::string AppInfo::relatedText() const {
    return tidewellString(relatedBytes);
}
std::string AppInfo::installerText() const {
    return dashedSizeText(installerBytes);
}
std::string AppInfo::memoryText() const {
    return dashedSizeText(memoryBytes);
}

std::string AppInfo::lastUsedText(std::chrono::system_clock::time_point now) const {
    if (!lastUsedDate) return "Unknown";
    return tidewellString(*lastUsedDate, now);
}

std::string AppInfo::statusText() const {
    if (isProtected) return "System Protected";
    if (!launchAgents.empty()) return "Background Item";
    if (isRunning) return "Running";
    return "Ready to Analyze";
}

UsageSummary AppInfo::usageSummary(std::chrono::system_clock::time_point now) const {
    return UsageSummary(lastUsedDate, isRunning, totalDiskBytes(), static_cast<std::int64_t>(launchAgents.size()),
                        isProtected, now);
}

}  // namespace tidewell
