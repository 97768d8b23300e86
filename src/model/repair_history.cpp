#include <algorithm>

#include "firstaid/file_first_aid_engine.h"
#include "firstaid/repair_history_store.h"
#include "model/app_model.h"
#include "util/uuid.h"

namespace tidewell {

RepairHistoryRecord AppModel::makeRepairHistoryRecord(const std::string& sourceName,
                                                      const FileRepairDiagnostic& diagnostic,
                                                      const FileRepairOutcome& outcome) {
    return {.id = makeUUIDString(),
            .sourceName = sourceName,
            .outputName = outcome.outputURL.filename().string(),
            .outputBookmark = makeOutputBookmark(outcome.outputURL),
            .kindRawValue = rawValue(diagnostic.kind),
            .stateRawValue = rawValue(outcome.state),
            .sourceSizeBytes = FileFirstAidEngine::fileByteSize(diagnostic.sourceURL),
            .outputSizeBytes = FileFirstAidEngine::fileByteSize(outcome.outputURL),
            .completedAt = std::chrono::system_clock::now(),
            .message = outcome.message};
}

void AppModel::appendRepairHistory(const RepairHistoryRecord& record) {
    std::erase_if(repairHistory_, [&](const RepairHistoryRecord& kept) {
        return kept.outputName == record.outputName && kept.completedAt == record.completedAt;
    });
    repairHistory_.insert(repairHistory_.begin(), record);
    emit repairHistoryChanged();
    RepairHistoryStore::save(repairHistory_);
}

void AppModel::clearRepairHistory() {
    repairHistory_.clear();
    emit repairHistoryChanged();
    RepairHistoryStore::save(repairHistory_);
}

}  // namespace tidewell
