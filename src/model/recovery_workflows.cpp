#include "model/app_model.h"

namespace tidewell {

std::optional<ExternalRecoveryVolume> AppModel::selectedRecoveryVolume() const {
    return std::nullopt;
}

std::vector<RecoveryCandidate> AppModel::selectedRecoveryCandidates() const {
    return {};
}

std::vector<DeletedRecovery::Candidate> AppModel::selectedDeletedRecoveryCandidates() const {
    return {};
}

void AppModel::refreshRecoveryVolumes() {}
void AppModel::chooseRecoverySource() {}
void AppModel::selectRecoveryVolume(const std::optional<std::string>&) {}
void AppModel::scanSelectedRecoveryVolume() {}
void AppModel::cancelRecoveryScan() {}
void AppModel::toggleRecoveryCandidate(const RecoveryCandidate&) {}
void AppModel::selectAllRecoveryCandidates() {}
void AppModel::exportSelectedRecoveryCandidates() {}
void AppModel::scanDeletedFiles() {}
void AppModel::cancelDeletedRecoveryScan() {}
void AppModel::toggleDeletedRecoveryCandidate(const DeletedRecovery::Candidate&) {}
void AppModel::selectAllDeletedRecoveryCandidates() {}
void AppModel::exportSelectedDeletedRecoveryCandidates() {}

}  // namespace tidewell
