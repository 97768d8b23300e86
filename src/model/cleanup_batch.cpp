#include "model/cleanup_batch.h"

#include "cleanup/saturating_sum.h"
#include "model/work_result.h"
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
    const WorkResult<bool> moved = captureWork<bool>([&] { return move(), true; });
    if (moved.succeeded())
        addMoved(label, sizeBytes);
    else
        addFailure(label, moved.errorDescription);
    return moved.succeeded();
}

ActionResultKind CleanupBatch::resultKind() const {
    if (moved.empty()) return ActionResultKind::failure;
    return failed.empty() ? ActionResultKind::success : ActionResultKind::warning;
}

std::string CleanupBatch::message(const std::string& summary) const {
    if (failed.empty()) return summary;
    return summary + "\nFailed: " + text_helpers::joined(failed, " | ");
}

int cleanupMovePriority(const CleanupCandidate& candidate) {
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
