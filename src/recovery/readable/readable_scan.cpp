#include <algorithm>

#include "platform/mount_info.h"
#include "recovery/readable/external_recovery_engine.h"
#include "recovery/readable/localized_name_order.h"
#include "recovery/readable/readable_walk.h"

namespace tidewell {

namespace fs = std::filesystem;
using Clock = std::chrono::system_clock;

namespace {

bool scanOrder(const RecoveryCandidate& left, const RecoveryCandidate& right) {
    if (left.kind != right.kind)
        return RecoveryCandidateKinds::rawValue(left.kind) < RecoveryCandidateKinds::rawValue(right.kind);
    auto leftDate = left.modifiedDate.value_or(Clock::time_point::min());
    auto rightDate = right.modifiedDate.value_or(Clock::time_point::min());
    if (leftDate != rightDate) return leftDate > rightDate;
    return localizedCaseInsensitiveLess(left.name(), right.name());
}

bool isDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

}  // namespace

std::pair<std::vector<RecoveryCandidate>, RecoveryScanReport> ExternalRecoveryEngine::scan(
    const ExternalRecoveryVolume& volume, const Token& cancellationToken, const ProgressCallback& progress) {
    fs::path root = standardizedPath(volume.mountURL);
    if (!isDirectory(root))
        throw RecoveryError::sourceUnavailable(volume.name + " is no longer available. Reconnect it and try again.");
    auto startedAt = Clock::now();

    auto walk = walkReadableTree(root.string(), cancellationToken, progress,
                                 {Limits::maximumCandidateCount, Limits::maximumVisitedItems});
    if (!walk) throw RecoveryError::sourceUnavailable("Tidewell could not read " + volume.name + ".");
    std::sort(walk->candidates.begin(), walk->candidates.end(), scanOrder);
    if (progress) progress(1.0, "Found " + std::to_string(walk->candidates.size()) + " readable files");

    RecoveryScanReport report;
    report.sourceName = volume.name;
    report.startedAt = startedAt;
    report.finishedAt = Clock::now();
    report.filesVisited = walk->visited;
    report.candidatesFound = static_cast<std::int64_t>(walk->candidates.size());
    report.skippedItems = walk->skipped;
    report.reachedItemLimit = walk->limitReached;
    return {std::move(walk->candidates), report};
}

std::string ExternalRecoveryEngine::relativePath(const fs::path& url, const fs::path& root) {
    std::string file = platform::resolvedPath(url).string();
    std::string base = platform::resolvedPath(root).string();
    if (file.size() > base.size() + 1 && file.compare(0, base.size(), base) == 0 && file[base.size()] == '/')
        return file.substr(base.size() + 1);
    return url.filename().string();
}

}  // namespace tidewell
