#include "cleanup/cleanup_batch.h"

#include <exception>

#include "cleanup/saturating_sum.h"
#include "util/text_helpers.h"

namespace tidewell {

void CleanupBatch::addMoved(const std::string& label, std::int64_t sizeBytes) {
    moved.push_back(label);
    recoveredBytes = saturatingSum(recoveredBytes, sizeBytes);
}

void CleanupBatch::addFailure(const std::string& label, const std::string& description) {
    failed.push_back(label + ": " + description);
}

bool CleanupBatch::attempt(const std::string& label, std::int64_t sizeBytes, const std::function<void()>& move) {
    try {
        move();
    } catch (const std::exception& error) {
        addFailure(label, error.what());
        return false;
    } catch (...) {
        addFailure(label, "Unknown error.");
        return false;
    }
    addMoved(label, sizeBytes);
    return true;
}

std::string CleanupBatch::message(const std::string& summary) const {
    if (failed.empty()) return summary;
    return summary + "\nFailed: " + text_helpers::joined(failed, " | ");
}

int cleanupMovePriority(const CleanupCandidate& candidate) {
    if (isPackageManagerRoute(candidate.route)) return 5;
    switch (candidate.kind) {
        case CleanupCandidateKind::launchAgent:
            return 0;
        case CleanupCandidateKind::appLink:
            return 90;
        case CleanupCandidateKind::appBundle:
            return 100;
        default:
            return 10;
    }
}

std::string joinedSentence(const std::string& prefix, const std::vector<std::string>& texts) {
    return prefix + text_helpers::joined(texts, ", ") + ".";
}

}  // namespace tidewell
